#pragma once
// The Settings window's state and children, shared by the file that runs the window
// and the one that builds, labels and places its controls.
#include <windows.h>

#include <array>
#include <vector>

#include "gdi_handles.h"
#include "kestrix/config.h"
#include "kestrix/settings.h"
#include "tray_icon.h"

namespace kestrix::win {

struct SettingsChildren {
    HWND hotkey_label = nullptr;
    HWND language_label = nullptr;
    HWND dim_label = nullptr;
    HWND hotkey_button = nullptr;
    // The other modes' hotkeys, under the capture hotkey: last region, screen, window.
    std::array<HWND, 3> mode_labels{};
    std::array<HWND, 3> mode_buttons{};
    HWND language_list = nullptr;
    HWND dim_list = nullptr;
    // Confirmation, sending, start at login, status icon, updates: top to bottom.
    std::array<HWND, 5> switches{};
    HWND folder_label = nullptr;
    HWND folder_path = nullptr;
    HWND folder_choose = nullptr;
    HWND folder_off = nullptr;
    HWND note = nullptr;
    HWND done = nullptr;

    // Every child, for what is done to all of them; null ones included.
    std::vector<HWND> all() const;
};

// The check boxes in the order of SettingsChildren::switches.
inline constexpr std::array<SettingsControl, 5> kSwitchControls = {
    SettingsControl::Confirmation, SettingsControl::Transfer, SettingsControl::StartAtLogin,
    SettingsControl::ShowIcon, SettingsControl::CheckForUpdates};

struct SettingsWindow {
    Config given;
    SettingsState state;
    HWND window = nullptr;
    SettingsChildren children;
    WNDPROC button_procedure = nullptr;  // the hotkey buttons' own, before subclassing
    GdiObject<HFONT> font;
    IconHandle icon;
    uint32_t scale = 100;                // of the monitor the window is on
    bool right_to_left = false;          // laid out mirrored, for Arabic
    bool login_unavailable = false;      // start at login could not be offered at opening
};

// The children with their texts and values, the hotkey buttons subclassed with `procedure`.
void create_children(SettingsWindow& settings, WNDPROC procedure);
// The hotkey button of a capture mode.
HWND hotkey_button(const SettingsWindow& settings, CaptureMode mode);
void destroy_children(SettingsWindow& settings);
// Every text that follows the interface language, again in the current one.
void relabel_children(SettingsWindow& settings);
// Measures the texts, places every child and sizes the window around them; the
// window keeps its top-left corner.
void place_children(SettingsWindow& settings);
// The window font for the window's scale, given to every child.
void apply_font(SettingsWindow& settings);

// The folder's row after the folder changed: the folder (or that there is none), and
// "Off" only while there is one to turn off.
void show_save_folder(const SettingsWindow& settings);

void set_text(HWND window, std::string_view text);
bool is_checked(HWND box);
void set_checked(HWND box, bool checked);

}  // namespace kestrix::win
