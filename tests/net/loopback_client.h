#pragma once
// A plain blocking TCP client to 127.0.0.1, over POSIX sockets natively and
// Winsock in the Windows build, for talking to the delivery server in tests.
#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrix::test {

#ifdef _WIN32
using NativeSocket = SOCKET;
inline constexpr NativeSocket kNoSocket = INVALID_SOCKET;
inline void close_native(NativeSocket s) { closesocket(s); }
inline constexpr int kSendFlags = 0;
#else
using NativeSocket = int;
inline constexpr NativeSocket kNoSocket = -1;
inline void close_native(NativeSocket s) { ::close(s); }
// A server that has closed the connection makes send fail, not raise SIGPIPE.
inline constexpr int kSendFlags = MSG_NOSIGNAL;
#endif

// Winsock must be started once per process before any socket call.
inline void start_sockets() {
#ifdef _WIN32
    static const bool started = [] {
        WSADATA data{};
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    (void)started;
#endif
}

class LoopbackClient {
public:
    LoopbackClient() = default;
    ~LoopbackClient() { close(); }
    LoopbackClient(const LoopbackClient&) = delete;
    LoopbackClient& operator=(const LoopbackClient&) = delete;

    // False when nothing listens on the port (or the connection fails otherwise).
    bool connect(uint16_t port) {
        start_sockets();
        close();
        socket_ = ::socket(AF_INET, SOCK_STREAM, 0);
        if (socket_ == kNoSocket) return false;
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(socket_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0) {
            close();
            return false;
        }
        return true;
    }

    bool send(std::string_view bytes) {
        while (!bytes.empty()) {
            const auto sent = ::send(socket_, bytes.data(), int(bytes.size()), kSendFlags);
            if (sent <= 0) return false;
            bytes.remove_prefix(size_t(sent));
        }
        return true;
    }

    // Everything the server sends until it closes the connection, or until `limit`
    // passes; `closed` tells which.
    struct Reply {
        std::string bytes;
        bool closed = false;
        double seconds = 0;
    };
    Reply read_all(std::chrono::milliseconds limit = std::chrono::milliseconds(5000)) {
        Reply reply;
        const auto end = read_each([&](std::string_view piece) { reply.bytes += piece; }, limit);
        reply.closed = end.closed;
        reply.seconds = end.seconds;
        return reply;
    }

    // The same, each piece handed to `sink` as it arrives instead of kept.
    template <class Sink>
    Reply read_each(Sink&& sink, std::chrono::milliseconds limit) {
        Reply reply;
        const auto start = std::chrono::steady_clock::now();
        set_receive_timeout(std::chrono::milliseconds(100));
        std::vector<char> buffer(256 * 1024);
        while (std::chrono::steady_clock::now() - start < limit) {
            const auto got = ::recv(socket_, buffer.data(), int(buffer.size()), 0);
            if (got > 0) {
                sink(std::string_view(buffer.data(), size_t(got)));
                continue;
            }
            if (got == 0 || !timed_out()) {
                reply.closed = true;  // an orderly close or a reset
                break;
            }
        }
        reply.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        return reply;
    }

    // Reads a few bytes and then nothing more: a client that stops taking the body.
    void read_some(size_t count) {
        set_receive_timeout(std::chrono::milliseconds(2000));
        std::string bytes(count, '\0');
        (void)::recv(socket_, bytes.data(), int(count), 0);
    }

    void close() {
        if (socket_ != kNoSocket) close_native(socket_);
        socket_ = kNoSocket;
    }

private:
    void set_receive_timeout(std::chrono::milliseconds wait) {
#ifdef _WIN32
        const DWORD ms = DWORD(wait.count());
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
#else
        timeval tv{long(wait.count() / 1000), long(wait.count() % 1000 * 1000)};
        setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
#endif
    }
    static bool timed_out() {
#ifdef _WIN32
        return WSAGetLastError() == WSAETIMEDOUT;
#else
        return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
#endif
    }

    NativeSocket socket_ = kNoSocket;
};

// One whole request and its whole reply.
inline LoopbackClient::Reply exchange(uint16_t port, std::string_view request) {
    LoopbackClient client;
    if (!client.connect(port)) return {};
    client.send(request);
    return client.read_all();
}

}  // namespace kestrix::test
