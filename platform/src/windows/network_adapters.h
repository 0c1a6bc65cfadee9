#pragma once
// The IPv4 adapters as the IP Helper lists them, in the core's terms.
#include <vector>

#include "kestrix/local_address.h"

namespace kestrix::win {

// Every adapter with its IPv4 addresses, gateway, metric and kind; empty when the
// system cannot list them.
std::vector<NetworkAdapter> list_network_adapters();

}  // namespace kestrix::win
