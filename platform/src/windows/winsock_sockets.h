#pragma once
// The delivery server's socket layer over Winsock, with BCryptGenRandom for the
// token and the thread description for the server thread.
#include <cstdint>

#include "kestrix/transfer_socket.h"

namespace kestrix::win {

class WinsockServices final : public net::Services {
public:
    bool fill_random(std::span<uint8_t> bytes) override;
    Result<net::Ipv4, std::string> route_probe() override;
    std::vector<NetworkAdapter> network_adapters() override;
    Result<std::unique_ptr<net::Listener>, std::string> listen_any(int backlog) override;
    void name_this_thread(const char* name) override;

    // The status BCryptGenRandom answered last time it failed.
    int32_t random_status() const { return random_status_; }

private:
    int32_t random_status_ = 0;
};

// The process's one instance; Winsock is started on first use.
WinsockServices& winsock_services();

}  // namespace kestrix::win
