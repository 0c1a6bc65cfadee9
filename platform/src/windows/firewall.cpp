#include "firewall.h"

#include <windows.h>
#include <netfw.h>
#include <netlistmgr.h>
#include <shellapi.h>

#include <string>

#include "com.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

bool same_guid_text(const GUID& guid, std::string_view text) {
    wchar_t buffer[64] = {};
    if (StringFromGUID2(guid, buffer, int(std::size(buffer))) == 0) return false;
    const std::string formatted = narrow(buffer);
    if (formatted.size() != text.size()) return false;
    for (size_t i = 0; i < text.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(formatted[i])) != std::tolower(static_cast<unsigned char>(text[i])))
            return false;
    return true;
}

// The network list manager's category of the network the adapter is connected to.
std::optional<bool> network_is_public(std::string_view adapter_id) {
    if (adapter_id.empty()) return std::nullopt;
    ComRef<INetworkListManager> networks;
    if (FAILED(CoCreateInstance(CLSID_NetworkListManager, nullptr, CLSCTX_ALL, IID_INetworkListManager,
                                networks.put_void())))
        return std::nullopt;
    ComRef<IEnumNetworkConnections> connections;
    if (FAILED(networks->GetNetworkConnections(connections.put())) || !connections) return std::nullopt;
    for (;;) {
        ComRef<INetworkConnection> connection;
        ULONG fetched = 0;
        if (connections->Next(1, connection.put(), &fetched) != S_OK || fetched == 0) return std::nullopt;
        GUID adapter{};
        if (FAILED(connection->GetAdapterId(&adapter)) || !same_guid_text(adapter, adapter_id)) continue;
        ComRef<INetwork> network;
        NLM_NETWORK_CATEGORY category{};
        if (FAILED(connection->GetNetwork(network.put())) || !network || FAILED(network->GetCategory(&category)))
            return std::nullopt;
        return category == NLM_NETWORK_CATEGORY_PUBLIC;
    }
}

}  // namespace

FirewallFacts read_firewall_facts(std::string_view adapter_id) {
    const ComApartment com;  // the host has one already; a probe on its own may not
    FirewallFacts facts;
    facts.network_public = network_is_public(adapter_id);
    ComRef<INetFwPolicy2> policy;
    if (FAILED(CoCreateInstance(__uuidof(NetFwPolicy2), nullptr, CLSCTX_INPROC_SERVER, __uuidof(INetFwPolicy2),
                                policy.put_void())))
        return facts;
    long profiles = 0;
    if (SUCCEEDED(policy->get_CurrentProfileTypes(&profiles))) facts.active_profiles = uint32_t(profiles);
    VARIANT_BOOL enabled = VARIANT_FALSE;
    if (SUCCEEDED(policy->get_FirewallEnabled(NET_FW_PROFILE2_PUBLIC, &enabled)))
        facts.public_firewall_on = enabled != VARIANT_FALSE;
    NET_FW_ACTION inbound = NET_FW_ACTION_ALLOW;
    if (SUCCEEDED(policy->get_DefaultInboundAction(NET_FW_PROFILE2_PUBLIC, &inbound)))
        facts.public_blocks_inbound = inbound == NET_FW_ACTION_BLOCK;
    return facts;
}

void open_firewall_settings() {
    wchar_t system[MAX_PATH] = {};
    const UINT length = GetSystemDirectoryW(system, UINT(std::size(system)));
    if (length == 0 || length >= std::size(system)) return;
    const std::wstring control = std::wstring(system) + L"\\control.exe";
    ShellExecuteW(nullptr, L"open", control.c_str(), L"/name Microsoft.WindowsFirewall /page pageConfigureApps", nullptr,
                  SW_SHOWNORMAL);
}

}  // namespace kestrix::win
