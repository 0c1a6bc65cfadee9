#pragma once
// One hotkey per capture mode. The capture hotkey (`hotkey`, the Region mode) is always
// set; the last-region, screen and window hotkeys may be off. These work on any record
// holding the four fields under these names: the configuration, the Settings window's
// values and the host's settings.
#include <array>
#include <optional>
#include <string_view>

#include "kestrix/capture_modes.h"
#include "kestrix/hotkey.h"

namespace kestrix {

// Every mode, in the order of the file and the Settings window.
inline constexpr std::array<CaptureMode, kCaptureModeCount> kHotkeyModes = {
    CaptureMode::Region, CaptureMode::LastRegion, CaptureMode::Screen, CaptureMode::Window};

// The configuration key of a mode's hotkey: "hotkey", "hotkey_last_region", "hotkey_screen", "hotkey_window".
std::string_view capture_hotkey_key(CaptureMode mode);

template <class Values>
std::optional<Hotkey> capture_hotkey(const Values& values, CaptureMode mode) {
    switch (mode) {
        case CaptureMode::Region: return values.hotkey;
        case CaptureMode::LastRegion: return values.hotkey_last_region;
        case CaptureMode::Screen: return values.hotkey_screen;
        case CaptureMode::Window: return values.hotkey_window;
    }
    return std::nullopt;
}

// Off (none) for the capture hotkey changes nothing: it cannot be turned off.
template <class Values>
void set_capture_hotkey(Values& values, CaptureMode mode, const std::optional<Hotkey>& hotkey) {
    switch (mode) {
        case CaptureMode::Region:
            if (hotkey) values.hotkey = *hotkey;
            return;
        case CaptureMode::LastRegion: values.hotkey_last_region = hotkey; return;
        case CaptureMode::Screen: values.hotkey_screen = hotkey; return;
        case CaptureMode::Window: values.hotkey_window = hotkey; return;
    }
}

// The mode other than `except` whose hotkey is this combination, if any.
template <class Values>
std::optional<CaptureMode> capture_hotkey_owner(const Values& values, const Hotkey& hotkey, CaptureMode except) {
    for (CaptureMode mode : kHotkeyModes)
        if (mode != except && capture_hotkey(values, mode) == hotkey) return mode;
    return std::nullopt;
}

// Turns off every other mode's hotkey that is the capture hotkey's combination; the
// capture hotkey keeps it. Needed where the capture hotkey changes after the file was
// read (its built-in default giving way to a stand-in).
template <class Values>
void turn_off_hotkeys_sharing_capture(Values& values) {
    for (CaptureMode mode : kHotkeyModes)
        if (mode != CaptureMode::Region && capture_hotkey(values, mode) == values.hotkey)
            set_capture_hotkey(values, mode, std::nullopt);
}

}  // namespace kestrix
