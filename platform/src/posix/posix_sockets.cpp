#include "posix_sockets.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <pthread.h>
#include <sys/random.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace kestrix::posix {

namespace {

using net::Io;
using net::Readiness;

std::string failure(const char* call) { return std::string(call) + " failed (" + std::strerror(errno) + ")"; }

// A file descriptor closed when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

bool set_non_blocking(int fd) {
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

Readiness wait_for(int fd, short events, net::Millis wait) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, int(wait.count()));
    if (ready < 0) return errno == EINTR ? Readiness::TimedOut : Readiness::Failed;
    if (ready == 0) return Readiness::TimedOut;
    // A hang-up or error is reported as ready: the receive or send that follows says which.
    return Readiness::Ready;
}

bool would_block(int error) { return error == EAGAIN || error == EWOULDBLOCK || error == EINTR; }

class PosixStream final : public net::Stream {
public:
    explicit PosixStream(int fd) : fd_(fd) {}
    bool prepare() override { return set_non_blocking(fd_.get()); }
    Readiness wait_readable(net::Millis wait) override { return wait_for(fd_.get(), POLLIN, wait); }
    Readiness wait_writable(net::Millis wait) override { return wait_for(fd_.get(), POLLOUT, wait); }
    Io receive(std::span<uint8_t> into) override {
        const ssize_t got = ::recv(fd_.get(), into.data(), into.size(), 0);
        if (got > 0) return Io::done(size_t(got));
        if (got == 0) return Io::closed();
        return would_block(errno) ? Io::would_block() : Io::failed();
    }
    Io send(std::span<const uint8_t> bytes) override {
        // MSG_NOSIGNAL: a client gone away is an error here, not a SIGPIPE.
        const ssize_t sent = ::send(fd_.get(), bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent > 0) return Io::done(size_t(sent));
        if (sent == 0) return Io::would_block();
        return would_block(errno) ? Io::would_block() : Io::failed();
    }
    void shutdown_both() override { ::shutdown(fd_.get(), SHUT_RDWR); }

private:
    Descriptor fd_;
};

class PosixListener final : public net::Listener {
public:
    PosixListener(int fd, uint16_t port) : fd_(fd), port_(port) {}
    uint16_t port() const override { return port_; }
    net::Accepted accept() override {
        const int fd = ::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (fd >= 0) return {net::Accepted::Kind::Connection, std::make_unique<PosixStream>(fd)};
        // A connection reset before it was taken is the client's business, not an accept error.
        if (would_block(errno) || errno == ECONNABORTED) return {net::Accepted::Kind::NoneWaiting, nullptr};
        return {net::Accepted::Kind::Failed, nullptr};
    }
    Readiness wait_for_connection(net::Millis wait) override { return wait_for(fd_.get(), POLLIN, wait); }

private:
    Descriptor fd_;
    uint16_t port_;
};

class PosixServices final : public net::Services {
public:
    bool fill_random(std::span<uint8_t> bytes) override {
        size_t filled = 0;
        while (filled < bytes.size()) {
            const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
            if (got < 0 && errno == EINTR) continue;
            if (got <= 0) return false;
            filled += size_t(got);
        }
        return true;
    }

    Result<net::Ipv4, std::string> route_probe() override {
        Descriptor probe(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0));
        if (probe.get() < 0) return fail(failure("socket(route probe)"));
        sockaddr_in any{};
        any.sin_family = AF_INET;
        if (::bind(probe.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) return fail(failure("bind(route probe)"));
        sockaddr_in outside{};
        outside.sin_family = AF_INET;
        outside.sin_port = htons(9);
        outside.sin_addr.s_addr = htonl(0xC0000201);  // 192.0.2.1, for documentation only: nothing is sent
        if (::connect(probe.get(), reinterpret_cast<sockaddr*>(&outside), sizeof outside) != 0)
            return fail(failure("connect(route probe)"));
        sockaddr_in local{};
        socklen_t length = sizeof local;
        if (::getsockname(probe.get(), reinterpret_cast<sockaddr*>(&local), &length) != 0)
            return fail(failure("getsockname(route probe)"));
        const uint32_t host = ntohl(local.sin_addr.s_addr);
        return net::Ipv4{{uint8_t(host >> 24), uint8_t(host >> 16), uint8_t(host >> 8), uint8_t(host)}};
    }

    // The adapters' kinds are not looked for here: the route probe decides.
    std::vector<NetworkAdapter> network_adapters() override { return {}; }

    Result<std::unique_ptr<net::Listener>, std::string> listen_any(int backlog) override {
        Descriptor fd(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
        if (fd.get() < 0) return fail(failure("socket"));
        sockaddr_in any{};
        any.sin_family = AF_INET;
        any.sin_addr.s_addr = htonl(INADDR_ANY);
        if (::bind(fd.get(), reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) return fail(failure("bind"));
        if (::listen(fd.get(), backlog) != 0) return fail(failure("listen"));
        if (!set_non_blocking(fd.get())) return fail(failure("fcntl(O_NONBLOCK)"));
        sockaddr_in bound{};
        socklen_t length = sizeof bound;
        if (::getsockname(fd.get(), reinterpret_cast<sockaddr*>(&bound), &length) != 0) return fail(failure("getsockname"));
        return std::unique_ptr<net::Listener>(std::make_unique<PosixListener>(fd.release(), ntohs(bound.sin_port)));
    }

    void name_this_thread(const char* name) override { (void)::pthread_setname_np(::pthread_self(), name); }
};

}  // namespace

net::Services& services() {
    static PosixServices instance;
    return instance;
}

}  // namespace kestrix::posix
