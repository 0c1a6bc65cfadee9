#pragma once
// The delivery server's socket layer over POSIX sockets, for the native build: the
// server loop runs against real loopback sockets in tests and benchmarks.
#include "kestrix/transfer_socket.h"

namespace kestrix::posix {

// One per process is plenty; it holds no state.
net::Services& services();

}  // namespace kestrix::posix
