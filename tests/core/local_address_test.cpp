// Which address the send panel serves on, among the adapters the system lists.
#include "kestrix/local_address.h"

#include <gtest/gtest.h>

using namespace kestrix;

namespace {

net::Ipv4 ip(uint8_t a, uint8_t b, uint8_t c, uint8_t d) { return net::Ipv4{{a, b, c, d}}; }

std::string text(const net::Ipv4& address) {
    return std::to_string(address.octets[0]) + "." + std::to_string(address.octets[1]) + "." +
           std::to_string(address.octets[2]) + "." + std::to_string(address.octets[3]);
}

NetworkAdapter adapter(std::string id, AdapterKind kind, std::vector<net::Ipv4> addresses, bool gateway = true,
                       uint32_t metric = 25) {
    NetworkAdapter a;
    a.id = std::move(id);
    a.kind = kind;
    a.up = true;
    a.has_gateway = gateway;
    a.metric = metric;
    a.addresses = std::move(addresses);
    return a;
}

// "address (adapter id)", or "none".
std::string chosen(const std::vector<NetworkAdapter>& adapters, std::optional<net::Ipv4> probe) {
    const std::optional<LocalAddress> local = choose_local_address(adapters, probe);
    if (!local) return "none";
    return text(local->address) + " (" + local->adapter_id + ")" + (local->behind_vpn() ? " vpn" : "");
}

const NetworkAdapter kWiFi = adapter("wifi", AdapterKind::WiFi, {ip(192, 168, 1, 23)});
const NetworkAdapter kEthernet = adapter("ethernet", AdapterKind::Ethernet, {ip(10, 0, 0, 5)}, true, 5);
const NetworkAdapter kTunnel = adapter("vpn", AdapterKind::Tunnel, {ip(10, 8, 0, 6)}, true, 1);
const NetworkAdapter kLoopback = adapter("lo", AdapterKind::Loopback, {ip(127, 0, 0, 1)}, false, 75);

}  // namespace

TEST(AdapterKind, FromTheSystemsFacts) {
    const std::vector<uint8_t> hyper_v = {0x00, 0x15, 0x5D, 0x01, 0x02, 0x03};
    const std::vector<uint8_t> tap = {0x00, 0xFF, 0x8A, 0x01, 0x02, 0x03};
    const std::vector<uint8_t> virtualbox = {0x0A, 0x00, 0x27, 0x00, 0x00, 0x11};
    EXPECT_EQ(adapter_kind({6, true, tap}), AdapterKind::Ethernet) << "a card, whatever its vendor";
    EXPECT_EQ(adapter_kind({6, true, hyper_v}), AdapterKind::Ethernet) << "a virtual machine's own card is real to it";
    EXPECT_EQ(adapter_kind({6, false, hyper_v}), AdapterKind::VirtualSwitch) << "Hyper-V and WSL's vEthernet";
    EXPECT_EQ(adapter_kind({6, false, virtualbox}), AdapterKind::VirtualSwitch);
    EXPECT_EQ(adapter_kind({6, false, tap}), AdapterKind::Tunnel) << "TAP and other VPN miniports look like Ethernet";
    EXPECT_EQ(adapter_kind({6, false, {}}), AdapterKind::Tunnel);
    EXPECT_EQ(adapter_kind({71, true, {}}), AdapterKind::WiFi);
    EXPECT_EQ(adapter_kind({71, false, {}}), AdapterKind::WiFi) << "the hotspot's virtual radio is still Wi-Fi";
    EXPECT_EQ(adapter_kind({131, false, {}}), AdapterKind::Tunnel);
    EXPECT_EQ(adapter_kind({53, false, {}}), AdapterKind::Tunnel) << "WireGuard";
    EXPECT_EQ(adapter_kind({23, false, {}}), AdapterKind::Ppp);
    EXPECT_EQ(adapter_kind({24, false, {}}), AdapterKind::Loopback);
    EXPECT_EQ(adapter_kind({243, true, {}}), AdapterKind::Other) << "mobile broadband";
}

TEST(LocalAddress, PrivateAndLinkLocalRanges) {
    for (const net::Ipv4 address : {ip(10, 0, 0, 1), ip(10, 255, 255, 254), ip(172, 16, 0, 1), ip(172, 31, 9, 9),
                                    ip(192, 168, 0, 1)})
        EXPECT_TRUE(is_private(address)) << text(address);
    for (const net::Ipv4 address : {ip(172, 15, 0, 1), ip(172, 32, 0, 1), ip(192, 169, 0, 1), ip(11, 0, 0, 1),
                                    ip(169, 254, 3, 4), ip(100, 64, 0, 1)})
        EXPECT_FALSE(is_private(address)) << text(address);
    EXPECT_TRUE(is_link_local(ip(169, 254, 0, 1)));
    EXPECT_FALSE(is_link_local(ip(169, 253, 0, 1)));
}

TEST(LocalAddress, AVpnOnTheDefaultRouteDoesNotWinOverTheWiFi) {
    // The route probe leaves through the tunnel; the phone is on the Wi-Fi.
    EXPECT_EQ(chosen({kTunnel, kWiFi, kLoopback}, ip(10, 8, 0, 6)), "192.168.1.23 (wifi)");
    // A PPP connection (the system's own VPN) likewise.
    const NetworkAdapter ppp = adapter("ppp", AdapterKind::Ppp, {ip(10, 9, 0, 2)}, true, 1);
    EXPECT_EQ(chosen({ppp, kWiFi}, ip(10, 9, 0, 2)), "192.168.1.23 (wifi)");
    // And when the probe says nothing at all.
    EXPECT_EQ(chosen({kTunnel, kWiFi}, std::nullopt), "192.168.1.23 (wifi)");
}

TEST(LocalAddress, OnlyAVpnIsTakenAndMarked) {
    EXPECT_EQ(chosen({kTunnel, kLoopback}, ip(10, 8, 0, 6)), "10.8.0.6 (vpn) vpn");
    EXPECT_EQ(chosen({kTunnel}, std::nullopt), "10.8.0.6 (vpn) vpn");
}

TEST(LocalAddress, WiFiAndEthernetFollowTheRouteThenTheMetric) {
    // Both are good: the system's own route decides,
    EXPECT_EQ(chosen({kWiFi, kEthernet}, ip(192, 168, 1, 23)), "192.168.1.23 (wifi)");
    EXPECT_EQ(chosen({kWiFi, kEthernet}, ip(10, 0, 0, 5)), "10.0.0.5 (ethernet)");
    // and without it the lower metric (Ethernet's 5 over Wi-Fi's 25).
    EXPECT_EQ(chosen({kWiFi, kEthernet}, std::nullopt), "10.0.0.5 (ethernet)");
    // A probe answer that no adapter lists loses to the adapters that are good.
    EXPECT_EQ(chosen({kWiFi}, ip(10, 44, 0, 1)), "192.168.1.23 (wifi)");
}

TEST(LocalAddress, HypervisorSwitchesWithoutAGatewayComeLast) {
    const NetworkAdapter default_switch = adapter("hyper-v", AdapterKind::VirtualSwitch, {ip(172, 25, 80, 1)}, false, 5000);
    const NetworkAdapter wsl = adapter("wsl", AdapterKind::VirtualSwitch, {ip(172, 29, 16, 1)}, false, 5000);
    EXPECT_EQ(chosen({default_switch, wsl, kWiFi}, ip(192, 168, 1, 23)), "192.168.1.23 (wifi)");
    EXPECT_EQ(chosen({default_switch, kWiFi}, ip(172, 25, 80, 1)), "192.168.1.23 (wifi)");
    // Even a tunnel is a better guess than a switch only the machine's own guests can reach.
    EXPECT_EQ(chosen({default_switch, kTunnel}, std::nullopt), "10.8.0.6 (vpn) vpn");
    EXPECT_EQ(chosen({default_switch}, std::nullopt), "172.25.80.1 (hyper-v)");
    // An external switch carries the LAN itself, gateway and all.
    const NetworkAdapter external = adapter("external", AdapterKind::VirtualSwitch, {ip(192, 168, 1, 40)}, true, 15);
    EXPECT_EQ(chosen({external, kTunnel}, ip(10, 8, 0, 6)), "192.168.1.40 (external)");
}

TEST(LocalAddress, NoGatewayPublicAddressesAndLinkLocal) {
    // A router without internet: no gateway, and no default route for the probe.
    const NetworkAdapter offline_wifi = adapter("wifi", AdapterKind::WiFi, {ip(192, 168, 8, 2)}, false);
    EXPECT_EQ(chosen({offline_wifi, kLoopback}, std::nullopt), "192.168.8.2 (wifi)");
    // With a gateway it wins over the one without.
    EXPECT_EQ(chosen({offline_wifi, kEthernet}, std::nullopt), "10.0.0.5 (ethernet)");
    // A campus network's public address is still the LAN, above a tunnel.
    const NetworkAdapter campus = adapter("campus", AdapterKind::Ethernet, {ip(130, 60, 1, 2)});
    EXPECT_EQ(chosen({kTunnel, campus}, ip(10, 8, 0, 6)), "130.60.1.2 (campus)");
    // An adapter that gave itself 169.254 is never served on, nor one that is down.
    const NetworkAdapter unanswered = adapter("eth2", AdapterKind::Ethernet, {ip(169, 254, 10, 20)}, false, 1);
    EXPECT_EQ(chosen({unanswered}, std::nullopt), "none");
    EXPECT_EQ(chosen({unanswered}, ip(169, 254, 10, 20)), "none");
    EXPECT_EQ(chosen({unanswered, kWiFi}, std::nullopt), "192.168.1.23 (wifi)");
    NetworkAdapter down = kEthernet;
    down.up = false;
    EXPECT_EQ(chosen({down, kWiFi}, std::nullopt), "192.168.1.23 (wifi)");
    // Two addresses on one adapter: the usable one.
    const NetworkAdapter both = adapter("eth", AdapterKind::Ethernet, {ip(169, 254, 1, 1), ip(192, 168, 5, 5)});
    EXPECT_EQ(chosen({both}, std::nullopt), "192.168.5.5 (eth)");
}

TEST(LocalAddress, WithoutAdaptersTheProbeDecidesAsBefore) {
    EXPECT_EQ(chosen({}, ip(10, 77, 0, 2)), "10.77.0.2 ()");
    for (const net::Ipv4 unusable : {ip(127, 0, 0, 1), ip(127, 1, 2, 3), ip(0, 0, 0, 0), ip(169, 254, 1, 1)})
        EXPECT_EQ(chosen({}, unusable), "none") << text(unusable);
    EXPECT_EQ(chosen({}, std::nullopt), "none");
    // Only loopback listed (an address on lo, as in a test's network namespace): the probe.
    const NetworkAdapter lo = adapter("lo", AdapterKind::Loopback, {ip(127, 0, 0, 1), ip(10, 77, 0, 2)}, false);
    const std::optional<LocalAddress> local = choose_local_address(std::vector{lo}, ip(10, 77, 0, 2));
    ASSERT_TRUE(local);
    EXPECT_EQ(text(local->address), "10.77.0.2");
    EXPECT_EQ(local->kind, AdapterKind::Loopback);
    EXPECT_FALSE(local->behind_vpn());
    EXPECT_EQ(chosen({lo}, ip(127, 0, 0, 1)), "none");
}
