#pragma once
// The texts of the notification-area presence: the tray menu's items and the
// command each one raises, the icon's tooltip and the About text.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/i18n.h"
#include "kestrix/image.h"
#include "kestrix/local_time.h"

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
    kMenuClearRecentCaptures = 0x100D,
    // A recent capture's commands: kMenuRecentFirst + its place in the submenu times
    // kRecentActionCount + the action.
    kMenuRecentFirst = 0x1100,
};

// What the submenu of one recent capture offers.
enum class RecentAction : uint8_t { CopyAgain = 0, Pin = 1, SaveAs = 2, EditAgain = 3 };
inline constexpr uint32_t kRecentActionCount = 4;

// One recent capture as the tray menu shows it, newest first.
struct RecentMenuEntry {
    uint32_t id = 0;     // its id in the kept captures
    std::string label;   // its time and size
    bool editable = false;  // made in the overlay: it can be edited again
    std::shared_ptr<const Image> thumbnail;
    friend bool operator==(const RecentMenuEntry&, const RecentMenuEntry&) = default;
};

// A recent capture's command as the application carries it out.
struct RecentCommand {
    uint32_t id = 0;
    RecentAction action = RecentAction::CopyAgain;
    friend bool operator==(const RecentCommand&, const RecentCommand&) = default;
};

struct TrayMenuItem {
    uint32_t id = 0;  // 0: a separator, or the item that opens `submenu`
    std::string label;
    bool enabled = true;
    std::vector<TrayMenuItem> submenu;
    std::shared_ptr<const Image> picture;  // shown beside the label
    bool separator() const { return id == 0 && submenu.empty(); }
    friend bool operator==(const TrayMenuItem&, const TrayMenuItem&) = default;
};

// What the menu shows besides its texts.
struct TrayMenuState {
    std::optional<std::string> available_update;  // the updates item names this version
    bool last_region_available = false;           // a capture has finished: its region can be taken again
    bool countdown_running = false;               // the delay submenu gives way to its cancel item
    // The recent captures; absent when none are kept (a count of 0), and then the menu
    // has no Recent captures at all.
    std::optional<std::vector<RecentMenuEntry>> recent;
};

// The items in order: the captures (region, last region, screen, the delays or the
// cancel of the one waiting, save as), Recent captures when they are kept (disabled
// while there are none), a separator, Settings, updates, About, Exit.
// The catalogue's own menu labels (the "_windows" set) are used when it has them, its
// general labels otherwise.
std::vector<TrayMenuItem> tray_menu_items(const Catalogue& catalogue, const TrayMenuState& state,
                                          std::string_view version = KESTRIX_VERSION);

// The application event a chosen command raises, or nothing (also for the cancel of a
// countdown, which the host carries out itself).
std::optional<uint8_t> event_for_menu_command(uint64_t command);

// The recent capture's command a chosen item stands for, read against the entries the
// menu was made from; nothing for another command or an entry the menu did not have.
std::optional<RecentCommand> recent_command_for_menu(uint64_t command, const std::vector<RecentMenuEntry>& entries);

// "20:15:30   640 × 480": when a recent capture was made, and its size.
std::string recent_capture_label(const LocalTime& time, uint32_t width, uint32_t height);

// "Kestrix — Ctrl+Alt+A to capture" as the tray's tip field takes it: at most `max_units`
// UTF-16 units, never ending in half a surrogate pair.
std::u16string tray_tooltip(const Catalogue& catalogue, std::string_view hotkey_text, size_t max_units = 127);

// The About text: name and version, the tagline, then the capture hotkey.
std::string about_text(const Catalogue& catalogue, std::string_view hotkey_text,
                       std::string_view version = KESTRIX_VERSION);

}  // namespace kestrix
