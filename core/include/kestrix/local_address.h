#pragma once
// Which of this machine's addresses a phone on the same network can reach. The
// route probe alone answers with whatever carries the default route, which under a
// VPN is the tunnel; the adapters the system lists (their kind, state, gateway and
// addresses) say which address belongs to the Wi-Fi or Ethernet network instead.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace kestrix {

namespace net {
// An IPv4 address, most significant byte first: 10.0.0.2 is {10, 0, 0, 2}.
struct Ipv4 {
    uint8_t octets[4] = {};
};
}  // namespace net

enum class AdapterKind : uint8_t {
    Ethernet,       // a network card
    WiFi,
    VirtualSwitch,  // a hypervisor's switch (Hyper-V, WSL, VMware, VirtualBox host-only)
    Tunnel,         // a VPN's adapter, or any other virtual one
    Ppp,            // the system's own VPN connections and dial-up
    Loopback,
    Other,          // mobile broadband, FireWire and the like
};

// What the system says of an adapter, before it is sorted into a kind.
struct AdapterFacts {
    uint32_t if_type = 0;            // the IANA interface type (6 Ethernet, 71 Wi-Fi, 131 tunnel, ...)
    bool hardware = false;           // a physical device rather than a driver's invention
    std::vector<uint8_t> physical_address;  // the MAC address, when it has one
};
AdapterKind adapter_kind(const AdapterFacts& facts);

struct NetworkAdapter {
    std::string id;  // the system's name for it (on Windows its GUID), to find its network by
    AdapterKind kind = AdapterKind::Other;
    bool up = false;
    bool has_gateway = false;  // an IPv4 default gateway
    uint32_t metric = 0;       // the system's IPv4 route metric: lower is preferred
    std::vector<net::Ipv4> addresses;
};

// 10/8, 172.16/12 and 192.168/16.
bool is_private(const net::Ipv4& address);
// 169.254/16: what an adapter gives itself when no one answered it.
bool is_link_local(const net::Ipv4& address);

struct LocalAddress {
    net::Ipv4 address;
    std::optional<AdapterKind> kind;  // none when no listed adapter has the address
    std::string adapter_id;

    // A tunnel's address: a phone on the local Wi-Fi most likely cannot reach it.
    bool behind_vpn() const { return kind == AdapterKind::Tunnel || kind == AdapterKind::Ppp; }
};

// The address to serve on: among the adapters that are up, an Ethernet or Wi-Fi one
// with a default gateway and a private address first, then lesser ones (no gateway,
// a public address, a hypervisor's switch, mobile broadband, a tunnel), equal ones
// by metric. The route probe's answer (`probe`) is taken when it is among the best
// there are, or when the adapters say nothing usable. None when nothing is left:
// only loopback, link-local or unspecified addresses.
std::optional<LocalAddress> choose_local_address(std::span<const NetworkAdapter> adapters,
                                                 std::optional<net::Ipv4> probe);

}  // namespace kestrix
