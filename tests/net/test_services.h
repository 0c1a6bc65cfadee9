#pragma once
// The platform's socket layer, wrapped so that a test decides what the route probe
// finds and whether randomness is there, and sees what was asked of it.
#include <optional>

#include "kestrix/transfer_socket.h"

#ifdef _WIN32
#include "winsock_sockets.h"
#else
#include "posix_sockets.h"
#endif

namespace kestrix::test {

inline net::Services& platform_services() {
#ifdef _WIN32
    return win::winsock_services();
#else
    return posix::services();
#endif
}

class TestServices final : public net::Services {
public:
    // 10.77.0.2 stands for a machine on a local network; clients connect to 127.0.0.1.
    std::optional<net::Ipv4> address = net::Ipv4{{10, 77, 0, 2}};
    std::vector<NetworkAdapter> adapters;  // none listed: the route probe decides
    bool fail_probe = false;               // as with no default route
    bool randomness = true;
    int listens = 0;

    bool fill_random(std::span<uint8_t> bytes) override { return randomness && real_.fill_random(bytes); }
    Result<net::Ipv4, std::string> route_probe() override {
        if (fail_probe) return fail(std::string("connect(route probe) failed (os error 101)"));
        if (address) return *address;
        return real_.route_probe();
    }
    std::vector<NetworkAdapter> network_adapters() override { return adapters; }
    Result<std::unique_ptr<net::Listener>, std::string> listen_any(int backlog) override {
        ++listens;
        return real_.listen_any(backlog);
    }
    void name_this_thread(const char* name) override { real_.name_this_thread(name); }

private:
    net::Services& real_ = platform_services();
};

}  // namespace kestrix::test
