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
};

struct TrayMenuItem {
    uint32_t id = 0;  // 0: a separator
    std::string label;
    friend bool operator==(const TrayMenuItem&, const TrayMenuItem&) = default;
};

// The seven items in order. The catalogue's own menu labels (the "_windows" set) are
// used when it has them, its general labels otherwise; with an available update the
// updates item names that version.
std::vector<TrayMenuItem> tray_menu_items(const Catalogue& catalogue, const std::optional<std::string>& available_update,
                                          std::string_view version = KESTRIX_VERSION);

// The application event a chosen command raises (0x1001..0x1006), or nothing.
std::optional<uint8_t> event_for_menu_command(uint64_t command);

// "Kestrix — Ctrl+Alt+A to capture" as the tray's tip field takes it: at most `max_units`
// UTF-16 units, never ending in half a surrogate pair.
std::u16string tray_tooltip(const Catalogue& catalogue, std::string_view hotkey_text, size_t max_units = 127);

// The About text: name and version, the tagline, then the capture hotkey.
std::string about_text(const Catalogue& catalogue, std::string_view hotkey_text,
                       std::string_view version = KESTRIX_VERSION);

}  // namespace kestrix
