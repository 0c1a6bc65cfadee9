// Prints the network as the send panel sees it: each adapter with its kind, state,
// gateway, metric and IPv4 addresses, the route probe's answer, the address chosen
// to serve on, and what the firewall says of Public networks:
//   adapter <id> <kind> up|down gateway|- metric <n> <address> ...
//   probe <address>|failed
//   chosen <address> <kind>|unlisted [vpn]|none
//   firewall public=<yes|no|?> profiles=<mask|?> on=<yes|no|?> blocks=<yes|no|?> -> public-blocks <yes|no>
// With --open-firewall it opens the system's firewall page instead, as the panel's button does.
#include <cstdio>
#include <string>

#include "firewall.h"
#include "kestrix/local_address.h"
#include "network_adapters.h"
#include "winsock_sockets.h"

namespace {

using namespace kestrix;

const char* kind_name(AdapterKind kind) {
    switch (kind) {
    case AdapterKind::Ethernet: return "ethernet";
    case AdapterKind::WiFi: return "wifi";
    case AdapterKind::VirtualSwitch: return "virtual-switch";
    case AdapterKind::Tunnel: return "tunnel";
    case AdapterKind::Ppp: return "ppp";
    case AdapterKind::Loopback: return "loopback";
    case AdapterKind::Other: return "other";
    }
    return "?";
}

std::string dotted(const net::Ipv4& a) {
    return std::to_string(a.octets[0]) + "." + std::to_string(a.octets[1]) + "." + std::to_string(a.octets[2]) + "." +
           std::to_string(a.octets[3]);
}

template <class T>
std::string known(const std::optional<T>& value) {
    if (!value) return "?";
    if constexpr (std::is_same_v<T, bool>) return *value ? "yes" : "no";
    else return std::to_string(*value);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "--open-firewall") {
        win::open_firewall_settings();
        return 0;
    }
    win::WinsockServices& services = win::winsock_services();
    const std::vector<NetworkAdapter> adapters = services.network_adapters();
    for (const NetworkAdapter& a : adapters) {
        std::printf("adapter %s %s %s %s metric %u", a.id.c_str(), kind_name(a.kind), a.up ? "up" : "down",
                    a.has_gateway ? "gateway" : "-", unsigned(a.metric));
        for (const net::Ipv4& address : a.addresses) std::printf(" %s", dotted(address).c_str());
        std::printf("\n");
    }
    const auto probe = services.route_probe();
    std::printf("probe %s\n", probe ? dotted(*probe).c_str() : "failed");
    const auto local = choose_local_address(adapters, probe ? std::optional<net::Ipv4>(*probe) : std::nullopt);
    if (local)
        std::printf("chosen %s %s%s\n", dotted(local->address).c_str(), local->kind ? kind_name(*local->kind) : "unlisted",
                    local->behind_vpn() ? " vpn" : "");
    else
        std::printf("chosen none\n");
    const FirewallFacts facts = win::read_firewall_facts(local ? local->adapter_id : std::string());
    std::printf("firewall public=%s profiles=%s on=%s blocks=%s -> public-blocks %s\n", known(facts.network_public).c_str(),
                known(facts.active_profiles).c_str(), known(facts.public_firewall_on).c_str(),
                known(facts.public_blocks_inbound).c_str(), public_network_blocks(facts) ? "yes" : "no");
    return 0;
}
