#pragma once
// Which capture hotkey a start registers, and what it says about it: the built-in
// default gives way to a fallback where it would type a character, a hotkey the user
// wrote is kept but named, and a hotkey the system refuses gets the right reason.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "kestrix/hotkey.h"
#include "kestrix/i18n.h"
#include "kestrix/keyboard_layout.h"

namespace kestrix {

// Stand-ins for the default, in order: the first that types nothing on any installed
// layout is used. Ctrl+Shift with a letter types on no layout Windows ships; a
// function key types on none at all.
inline constexpr std::array<Hotkey, 2> kFallbackHotkeys = {
    Hotkey{Hotkey::Char{U'A'}, Hotkey::kCtrl | Hotkey::kShift},
    Hotkey{Hotkey::Function{12}, Hotkey::kCtrl | Hotkey::kShift},
};

struct StartHotkey {
    Hotkey hotkey;                  // the one to register
    bool fallback = false;          // the default would type, so a fallback stands in for it
    std::optional<char32_t> taken;  // what the configured hotkey types, when it types
    friend bool operator==(const StartHotkey&, const StartHotkey&) = default;
};

// `written` says whether the configuration file chose the hotkey; only the built-in
// default gives way. A hotkey the user wrote is registered as written.
StartHotkey start_hotkey(const Hotkey& configured, bool written, std::span<const KeyboardLayout> layouts);

// What a start by the user says once, near the notification area: that Kestrix runs
// and how to capture, or why the hotkey is not the usual one. A quiet start (at login,
// or the restart that finishes an update) says nothing.
std::optional<std::string> start_notice(const StartHotkey& start, bool quiet, const Catalogue& catalogue);

// Windows 11 opens its own screen capture with PrintScreen unless the user turned that
// off. `setting` is the value of PrintScreenKeyForSnippingEnabled when it exists; a
// missing value means on from Windows 11 (build 22000) on, and off before.
bool windows_claims_print_screen(std::optional<uint32_t> setting, uint32_t windows_build);

// Why the hotkey could not be registered: the Windows setting when it is the one
// holding PrintScreen, otherwise another application.
std::string hotkey_unavailable_text(const Hotkey& hotkey, bool windows_claims_print_screen, const Catalogue& catalogue);

}  // namespace kestrix
