#include "winsock_sockets.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <bcrypt.h>

#include <algorithm>
#include <climits>

#include "network_adapters.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

using net::Io;
using net::Readiness;

std::string failure(const char* call) {
    return std::string(call) + " failed (os error " + std::to_string(WSAGetLastError()) + ")";
}

// A socket closed when it goes out of scope.
class Socket {
public:
    explicit Socket(SOCKET s = INVALID_SOCKET) : s_(s) {}
    ~Socket() {
        if (s_ != INVALID_SOCKET) closesocket(s_);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    SOCKET get() const { return s_; }
    bool valid() const { return s_ != INVALID_SOCKET; }
    SOCKET release() { return std::exchange(s_, INVALID_SOCKET); }

private:
    SOCKET s_;
};

// Not inherited by processes the program starts (the restart after an update).
SOCKET new_socket(int type, int protocol) {
    return WSASocketW(AF_INET, type, protocol, nullptr, 0, WSA_FLAG_OVERLAPPED | WSA_FLAG_NO_HANDLE_INHERIT);
}

bool set_non_blocking(SOCKET s) {
    u_long on = 1;
    return ioctlsocket(s, FIONBIO, &on) == 0;
}

Readiness wait_for(SOCKET s, bool write, net::Millis wait) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    fd_set errors;
    FD_ZERO(&errors);
    FD_SET(s, &errors);
    const long ms = long(std::clamp<int64_t>(wait.count(), 0, 60000));
    timeval timeout{ms / 1000, (ms % 1000) * 1000};
    const int ready = select(0, write ? nullptr : &set, write ? &set : nullptr, &errors, &timeout);
    if (ready == SOCKET_ERROR) return Readiness::Failed;
    if (ready == 0) return Readiness::TimedOut;
    // An error condition is reported as ready: the receive or send that follows says which.
    return Readiness::Ready;
}

bool would_block(int error) { return error == WSAEWOULDBLOCK || error == WSAEINTR || error == WSAEINPROGRESS; }

int chunk(size_t size) { return int(std::min<size_t>(size, INT_MAX)); }

class WinsockStream final : public net::Stream {
public:
    explicit WinsockStream(SOCKET s) : socket_(s) {}
    bool prepare() override { return set_non_blocking(socket_.get()); }
    Readiness wait_readable(net::Millis wait) override { return wait_for(socket_.get(), false, wait); }
    Readiness wait_writable(net::Millis wait) override { return wait_for(socket_.get(), true, wait); }
    Io receive(std::span<uint8_t> into) override {
        const int got = recv(socket_.get(), reinterpret_cast<char*>(into.data()), chunk(into.size()), 0);
        if (got > 0) return Io::done(size_t(got));
        if (got == 0) return Io::closed();
        return would_block(WSAGetLastError()) ? Io::would_block() : Io::failed();
    }
    Io send(std::span<const uint8_t> bytes) override {
        const int sent = ::send(socket_.get(), reinterpret_cast<const char*>(bytes.data()), chunk(bytes.size()), 0);
        if (sent > 0) return Io::done(size_t(sent));
        if (sent == 0) return Io::would_block();
        return would_block(WSAGetLastError()) ? Io::would_block() : Io::failed();
    }
    void shutdown_both() override { shutdown(socket_.get(), SD_BOTH); }

private:
    Socket socket_;
};

class WinsockListener final : public net::Listener {
public:
    WinsockListener(SOCKET s, uint16_t port) : socket_(s), port_(port) {}
    uint16_t port() const override { return port_; }
    net::Accepted accept() override {
        const SOCKET s = ::accept(socket_.get(), nullptr, nullptr);
        if (s != INVALID_SOCKET) return {net::Accepted::Kind::Connection, std::make_unique<WinsockStream>(s)};
        const int error = WSAGetLastError();
        // A connection reset before it was taken is the client's business, not an accept error.
        if (would_block(error) || error == WSAECONNRESET) return {net::Accepted::Kind::NoneWaiting, nullptr};
        return {net::Accepted::Kind::Failed, nullptr};
    }
    Readiness wait_for_connection(net::Millis wait) override { return wait_for(socket_.get(), false, wait); }

private:
    Socket socket_;
    uint16_t port_;
};

// Winsock for the life of the process.
struct WinsockStartup {
    WinsockStartup() {
        WSADATA data{};
        started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~WinsockStartup() {
        if (started) WSACleanup();
    }
    bool started = false;
};

}  // namespace

bool WinsockServices::fill_random(std::span<uint8_t> bytes) {
    const NTSTATUS status =
        BCryptGenRandom(nullptr, bytes.data(), ULONG(bytes.size()), BCRYPT_USE_SYSTEM_PREFERRED_RNG);
    if (status >= 0) return true;
    random_status_ = int32_t(status);
    return false;
}

Result<net::Ipv4, std::string> WinsockServices::route_probe() {
    Socket probe(new_socket(SOCK_DGRAM, IPPROTO_UDP));
    if (!probe.valid()) return fail(failure("socket(route probe)"));
    sockaddr_in any{};
    any.sin_family = AF_INET;
    if (bind(probe.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) return fail(failure("bind(route probe)"));
    sockaddr_in outside{};
    outside.sin_family = AF_INET;
    outside.sin_port = htons(9);
    outside.sin_addr.s_addr = htonl(0xC0000201);  // 192.0.2.1, for documentation only: nothing is sent
    if (connect(probe.get(), reinterpret_cast<sockaddr*>(&outside), sizeof outside) != 0)
        return fail(failure("connect(route probe)"));
    sockaddr_in local{};
    int length = sizeof local;
    if (getsockname(probe.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return fail(failure("getsockname(route probe)"));
    const uint32_t host = ntohl(local.sin_addr.s_addr);
    return net::Ipv4{{uint8_t(host >> 24), uint8_t(host >> 16), uint8_t(host >> 8), uint8_t(host)}};
}

std::vector<NetworkAdapter> WinsockServices::network_adapters() { return list_network_adapters(); }

Result<std::unique_ptr<net::Listener>, std::string> WinsockServices::listen_any(int backlog) {
    Socket s(new_socket(SOCK_STREAM, IPPROTO_TCP));
    if (!s.valid()) return fail(failure("socket"));
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (bind(s.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) return fail(failure("bind"));
    if (listen(s.get(), backlog) != 0) return fail(failure("listen"));
    if (!set_non_blocking(s.get())) return fail(failure("ioctlsocket(FIONBIO)"));
    sockaddr_in bound{};
    int length = sizeof bound;
    if (getsockname(s.get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) return fail(failure("getsockname"));
    return std::unique_ptr<net::Listener>(std::make_unique<WinsockListener>(s.release(), ntohs(bound.sin_port)));
}

void WinsockServices::name_this_thread(const char* name) {
    // Looked up at run time: older systems have no thread descriptions.
    using SetThreadDescriptionFn = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    const HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
    if (!kernel) return;
    const auto describe = reinterpret_cast<SetThreadDescriptionFn>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetThreadDescription")));
    if (describe) (void)describe(GetCurrentThread(), wide(name).c_str());
}

WinsockServices& winsock_services() {
    static WinsockStartup startup;
    static WinsockServices services;
    return services;
}

}  // namespace kestrix::win
