#include "network_adapters.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <memory>

namespace kestrix::win {

namespace {

net::Ipv4 ipv4_of(const SOCKET_ADDRESS& address) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(address.lpSockaddr);
    const uint32_t host = ntohl(in->sin_addr.s_addr);
    return net::Ipv4{{uint8_t(host >> 24), uint8_t(host >> 16), uint8_t(host >> 8), uint8_t(host)}};
}

bool is_ipv4(const SOCKET_ADDRESS& address) {
    return address.lpSockaddr && address.lpSockaddr->sa_family == AF_INET &&
           address.iSockaddrLength >= int(sizeof(sockaddr_in));
}

// GetAdaptersAddresses does not say whether an adapter is a device or a driver's
// invention; the interface table does.
bool is_hardware(const NET_LUID& luid) {
    MIB_IF_ROW2 row{};
    row.InterfaceLuid = luid;
    return GetIfEntry2(&row) == NO_ERROR && row.InterfaceAndOperStatusFlags.HardwareInterface;
}

NetworkAdapter adapter_of(const IP_ADAPTER_ADDRESSES& entry) {
    NetworkAdapter adapter;
    adapter.id = entry.AdapterName ? entry.AdapterName : "";
    AdapterFacts facts;
    facts.if_type = entry.IfType;
    facts.hardware = is_hardware(entry.Luid);
    facts.physical_address.assign(entry.PhysicalAddress,
                                  entry.PhysicalAddress + std::min<ULONG>(entry.PhysicalAddressLength, MAX_ADAPTER_ADDRESS_LENGTH));
    adapter.kind = adapter_kind(facts);
    adapter.up = entry.OperStatus == IfOperStatusUp;
    adapter.metric = entry.Ipv4Metric;
    for (const IP_ADAPTER_GATEWAY_ADDRESS_LH* gateway = entry.FirstGatewayAddress; gateway; gateway = gateway->Next) {
        if (!is_ipv4(gateway->Address)) continue;
        const net::Ipv4 address = ipv4_of(gateway->Address);
        if (address.octets[0] != 0) adapter.has_gateway = true;  // 0.0.0.0 is an on-link route, no gateway
    }
    for (const IP_ADAPTER_UNICAST_ADDRESS_LH* unicast = entry.FirstUnicastAddress; unicast; unicast = unicast->Next)
        if (is_ipv4(unicast->Address)) adapter.addresses.push_back(ipv4_of(unicast->Address));
    return adapter;
}

}  // namespace

std::vector<NetworkAdapter> list_network_adapters() {
    constexpr ULONG flags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST |
                            GAA_FLAG_SKIP_DNS_SERVER | GAA_FLAG_SKIP_FRIENDLY_NAME;
    ULONG size = 16 * 1024;
    std::unique_ptr<uint8_t[]> buffer;
    ULONG status = ERROR_BUFFER_OVERFLOW;
    // The list can grow between the call that sizes it and the next.
    for (int attempt = 0; attempt < 3 && status == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer = std::make_unique<uint8_t[]>(size);
        status = GetAdaptersAddresses(AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.get()),
                                      &size);
    }
    std::vector<NetworkAdapter> adapters;
    if (status != NO_ERROR) return adapters;
    for (const auto* entry = reinterpret_cast<const IP_ADAPTER_ADDRESSES*>(buffer.get()); entry; entry = entry->Next)
        adapters.push_back(adapter_of(*entry));
    return adapters;
}

}  // namespace kestrix::win
