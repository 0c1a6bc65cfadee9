#include "kestrix/local_address.h"

#include <algorithm>
#include <array>

namespace kestrix {

namespace {

// IANA interface types.
constexpr uint32_t kEthernet = 6;
constexpr uint32_t kPpp = 23;
constexpr uint32_t kSoftwareLoopback = 24;
constexpr uint32_t kPropVirtual = 53;  // WireGuard and other drivers that make up their own link
constexpr uint32_t kWiFi = 71;
constexpr uint32_t kTunnel = 131;

// Hypervisors give their switches' host side a MAC address of their own vendor's.
constexpr std::array<std::array<uint8_t, 3>, 8> kHypervisorPrefixes = {{
    {0x00, 0x15, 0x5D},  // Hyper-V, and so the switches of WSL and Windows Sandbox
    {0x00, 0x50, 0x56},  // VMware
    {0x00, 0x0C, 0x29},
    {0x00, 0x05, 0x69},
    {0x00, 0x1C, 0x14},
    {0x0A, 0x00, 0x27},  // VirtualBox host-only
    {0x08, 0x00, 0x27},
    {0x00, 0x1C, 0x42},  // Parallels
}};

bool hypervisor_address(const std::vector<uint8_t>& mac) {
    if (mac.size() < 3) return false;
    return std::any_of(kHypervisorPrefixes.begin(), kHypervisorPrefixes.end(), [&](const auto& prefix) {
        return std::equal(prefix.begin(), prefix.end(), mac.begin());
    });
}

bool usable(const net::Ipv4& address) {
    const uint8_t first = address.octets[0];
    if (first == 0 || first == 127 || first >= 224) return false;  // unspecified, loopback, multicast and above
    return !is_link_local(address);
}

bool same(const net::Ipv4& a, const net::Ipv4& b) { return std::equal(a.octets, a.octets + 4, b.octets); }

// Lower is better: how likely a phone on the same Wi-Fi reaches this address.
int rank(const NetworkAdapter& adapter, const net::Ipv4& address) {
    const bool lan = adapter.kind == AdapterKind::Ethernet || adapter.kind == AdapterKind::WiFi;
    if (lan && adapter.has_gateway && is_private(address)) return 0;
    if (lan && is_private(address)) return 1;  // a router without internet, a direct link
    if (lan) return 2;                          // some campus networks hand out public addresses
    switch (adapter.kind) {
    case AdapterKind::VirtualSwitch: return adapter.has_gateway ? 3 : 6;  // with a gateway it carries the LAN
    case AdapterKind::Other: return 4;
    case AdapterKind::Tunnel:
    case AdapterKind::Ppp: return 5;
    default: return 7;
    }
}

struct Candidate {
    const NetworkAdapter* adapter;
    net::Ipv4 address;
    int rank;
};

LocalAddress local(const net::Ipv4& address, const NetworkAdapter* adapter) {
    LocalAddress chosen{address, std::nullopt, {}};
    if (adapter) {
        chosen.kind = adapter->kind;
        chosen.adapter_id = adapter->id;
    }
    return chosen;
}

}  // namespace

AdapterKind adapter_kind(const AdapterFacts& facts) {
    switch (facts.if_type) {
    case kSoftwareLoopback: return AdapterKind::Loopback;
    case kWiFi: return AdapterKind::WiFi;
    case kPpp: return AdapterKind::Ppp;
    case kTunnel:
    case kPropVirtual: return AdapterKind::Tunnel;
    case kEthernet:
        if (facts.hardware) return AdapterKind::Ethernet;
        // A virtual Ethernet adapter is a hypervisor's switch or a VPN's (TAP and the like).
        return hypervisor_address(facts.physical_address) ? AdapterKind::VirtualSwitch : AdapterKind::Tunnel;
    default: return AdapterKind::Other;
    }
}

bool is_private(const net::Ipv4& address) {
    const uint8_t* o = address.octets;
    return o[0] == 10 || (o[0] == 172 && (o[1] & 0xF0) == 16) || (o[0] == 192 && o[1] == 168);
}

bool is_link_local(const net::Ipv4& address) { return address.octets[0] == 169 && address.octets[1] == 254; }

std::optional<LocalAddress> choose_local_address(std::span<const NetworkAdapter> adapters,
                                                 std::optional<net::Ipv4> probe) {
    std::vector<Candidate> candidates;
    const NetworkAdapter* probe_owner = nullptr;
    for (const NetworkAdapter& adapter : adapters) {
        for (const net::Ipv4& address : adapter.addresses) {
            if (probe && same(address, *probe) && !probe_owner) probe_owner = &adapter;
            if (adapter.up && adapter.kind != AdapterKind::Loopback && usable(address))
                candidates.push_back({&adapter, address, rank(adapter, address)});
        }
    }
    const bool probe_usable = probe && usable(*probe);
    if (candidates.empty()) {
        if (probe_usable) return local(*probe, probe_owner);
        return std::nullopt;
    }
    // The best, equal ones by metric; stable, so the system's own order decides the rest.
    std::stable_sort(candidates.begin(), candidates.end(), [](const Candidate& a, const Candidate& b) {
        if (a.rank != b.rank) return a.rank < b.rank;
        return a.adapter->metric < b.adapter->metric;
    });
    const Candidate& best = candidates.front();
    if (probe_usable) {
        // The system's own choice among equals: the route its traffic takes.
        for (const Candidate& candidate : candidates)
            if (candidate.rank == best.rank && same(candidate.address, *probe))
                return local(candidate.address, candidate.adapter);
    }
    return local(best.address, best.adapter);
}

}  // namespace kestrix
