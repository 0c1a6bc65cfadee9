#pragma once
// What Windows Firewall and the network list say about connections from other
// devices, and the system's page for letting a program through.
#include <string_view>

#include "kestrix/send_panel.h"

namespace kestrix::win {

// The profile of the network the adapter `adapter_id` (its GUID as
// GetAdaptersAddresses names it) is on, and the firewall's Public profile.
FirewallFacts read_firewall_facts(std::string_view adapter_id);

// Control Panel's list of programs allowed through the firewall.
void open_firewall_settings();

}  // namespace kestrix::win
