#pragma once
// What the delivery server needs of the operating system, as a small interface:
// a TCP listener with non-blocking accept, connected streams that are waited on in
// short slices, the route probe for the local address, random bytes and thread
// names, and the adapters the address is chosen among. Winsock implements it on
// Windows, POSIX sockets natively; the server loop in transfer.cpp is the same
// over both.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include <vector>

#include "kestrix/local_address.h"
#include "kestrix/result.h"

namespace kestrix::net {

using Millis = std::chrono::milliseconds;

enum class Readiness : uint8_t { Ready, TimedOut, Failed };

// One non-blocking receive or send.
struct Io {
    enum class Kind : uint8_t { Done, WouldBlock, Closed, Failed };
    Kind kind = Kind::Failed;
    size_t bytes = 0;  // Done: how many (at least 1)

    static Io done(size_t n) { return {Kind::Done, n}; }
    static Io would_block() { return {Kind::WouldBlock, 0}; }
    static Io closed() { return {Kind::Closed, 0}; }
    static Io failed() { return {Kind::Failed, 0}; }
};

// A connected stream; the destructor closes it.
class Stream {
public:
    virtual ~Stream() = default;
    // Makes the accepted socket fit for the calls below (non-blocking); false when it cannot be.
    virtual bool prepare() = 0;
    // Waits at most `wait` until a receive (or a send) would not block.
    virtual Readiness wait_readable(Millis wait) = 0;
    virtual Readiness wait_writable(Millis wait) = 0;
    // Never blocks. Closed: the peer ended its side (receive only).
    virtual Io receive(std::span<uint8_t> into) = 0;
    virtual Io send(std::span<const uint8_t> bytes) = 0;
    virtual void shutdown_both() = 0;
};

struct Accepted {
    enum class Kind : uint8_t { Connection, NoneWaiting, Failed };
    Kind kind = Kind::Failed;
    std::unique_ptr<Stream> stream;  // Connection only
};

// A TCP listener in non-blocking mode; the destructor closes it.
class Listener {
public:
    virtual ~Listener() = default;
    virtual uint16_t port() const = 0;
    virtual Accepted accept() = 0;
    // Waits at most `wait` until a connection is waiting to be accepted.
    virtual Readiness wait_for_connection(Millis wait) = 0;
};

class Services {
public:
    virtual ~Services() = default;
    // Fills `bytes` from the system's preferred random generator; false when there is none.
    virtual bool fill_random(std::span<uint8_t> bytes) = 0;
    // The address this machine's route towards the outside would leave from: a UDP
    // socket "connected" to a documentation-only address (nothing is sent).
    // Failures carry a short description.
    virtual Result<Ipv4, std::string> route_probe() = 0;
    // The network adapters with their kinds and IPv4 addresses; empty when the
    // system cannot say, and then the route probe alone decides.
    virtual std::vector<NetworkAdapter> network_adapters() = 0;
    // A TCP listener on every local IPv4 address, on a port the system picks.
    virtual Result<std::unique_ptr<Listener>, std::string> listen_any(int backlog) = 0;
    // Names the calling thread for debuggers; failure is of no consequence.
    virtual void name_this_thread(const char* name) = 0;
};

}  // namespace kestrix::net
