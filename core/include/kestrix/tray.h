#pragma once
// The texts of the notification-area presence: the tray menu's items and the
// command each one raises, the icon's tooltip and the About text.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/i18n.h"

namespace kestrix {

// The product's home page, shown as a link in About.
inline constexpr std::string_view kProductWebsite = "https://kestrix.app/";

// Menu command identifiers.
enum : uint32_t {
    kMenuCaptureRegion = 0x1001,
    kMenuCaptureAndSaveAs = 0x1002,
    kMenuAbout = 0x1003,
    kMenuQuit = 0x1004,
    kMenuSettings = 0x1005,
    kMenuUpdates = 0x1006,
    kMenuCaptureLastRegion = 0x1007,
    kMenuCaptureScreen = 0x1008,
    kMenuCaptureAfter3Seconds = 0x1009,
    kMenuCaptureAfter5Seconds = 0x100A,
    kMenuCaptureAfter10Seconds = 0x100B,
    kMenuCancelDelayedCapture = 0x100C,  // the host ends its countdown; no event
};

struct TrayMenuItem {
    uint32_t id = 0;  // 0: a separator, or the item that opens `submenu`
    std::string label;
    bool enabled = true;
    std::vector<TrayMenuItem> submenu;
    bool separator() const { return id == 0 && submenu.empty(); }
    friend bool operator==(const TrayMenuItem&, const TrayMenuItem&) = default;
};

// What the menu shows besides its texts.
struct TrayMenuState {
    std::optional<std::string> available_update;  // the updates item names this version
    bool last_region_available = false;           // a capture has finished: its region can be taken again
    bool countdown_running = false;               // the delay submenu gives way to its cancel item
};

// The items in order: the captures (region, last region, screen, the delays or the
// cancel of the one waiting, save as), a separator, Settings, updates, About, Exit.
// The catalogue's own menu labels (the "_windows" set) are used when it has them, its
// general labels otherwise.
std::vector<TrayMenuItem> tray_menu_items(const Catalogue& catalogue, const TrayMenuState& state,
                                          std::string_view version = KESTRIX_VERSION);

// The application event a chosen command raises, or nothing (also for the cancel of a
// countdown, which the host carries out itself).
std::optional<uint8_t> event_for_menu_command(uint64_t command);

// "Kestrix — Ctrl+Alt+A to capture" as the tray's tip field takes it: at most `max_units`
// UTF-16 units, never ending in half a surrogate pair.
std::u16string tray_tooltip(const Catalogue& catalogue, std::string_view hotkey_text, size_t max_units = 127);

// The About text: name and version, the tagline, then the capture hotkey.
std::string about_text(const Catalogue& catalogue, std::string_view hotkey_text,
                       std::string_view version = KESTRIX_VERSION);

}  // namespace kestrix
