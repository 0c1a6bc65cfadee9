#pragma once
// What the Settings window edits and how it reacts, apart from any window system:
// the edited values, its two lists, the hotkey recorder's rules, the start-at-login
// state worked out from what the registry holds, and what closing hands back.
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kestrix/capture_hotkeys.h"
#include "kestrix/config.h"
#include "kestrix/hotkey.h"
#include "kestrix/i18n.h"
#include "kestrix/keyboard_layout.h"

namespace kestrix {

// The children's control identifiers.
enum class SettingsControl : uint16_t {
    HotkeyButton = 0x2001,
    LanguageList = 0x2002,
    DimList = 0x2003,
    Confirmation = 0x2004,
    Transfer = 0x2005,
    StartAtLogin = 0x2006,
    ShowIcon = 0x2007,
    Done = 0x2008,
    CheckForUpdates = 0x2009,
    LastRegionHotkeyButton = 0x200A,
    ScreenHotkeyButton = 0x200B,
    WindowHotkeyButton = 0x200C,
    ChooseSaveFolder = 0x200D,
    SaveFolderOff = 0x200E,
};

// The hotkey button of each capture mode, and the mode of a hotkey button.
SettingsControl hotkey_button_control(CaptureMode mode);
std::optional<CaptureMode> hotkey_button_mode(SettingsControl control);
// The row's label: "Capture hotkey", "Capture last region", "Capture screen", "Capture active window".
Message hotkey_row_label(CaptureMode mode);

// The values being edited while the window is open. Start at login is not among them:
// it lives in the registry and is written as soon as its box is clicked.
struct SettingsState {
    Hotkey hotkey;
    uint8_t overlay_dim_percent = 45;
    Language language = kAutomaticLanguage;
    bool show_confirmation = true;
    bool transfer_enabled = false;
    bool show_tray_icon = true;
    bool check_for_updates = true;
    std::optional<Hotkey> hotkey_last_region;  // absent: off
    std::optional<Hotkey> hotkey_screen;
    std::optional<Hotkey> hotkey_window;
    std::string save_folder;  // empty: captures are only copied
    bool recording = false;  // a hotkey button waits for a combination
    CaptureMode recording_mode = CaptureMode::Region;  // ... the button of this mode's hotkey
    bool done = false;       // the window must close
};

SettingsState settings_state(const Config& config);

// The edited values laid over the configuration the window was given; absent when
// none of them differs, so that nothing is written.
std::optional<Config> settings_result(const Config& given, const SettingsState& state);

// What the capture folder's row shows: the folder, or that captures are only copied.
std::string save_folder_text(const SettingsState& state, const Catalogue& catalogue);

// --- the two lists ---------------------------------------------------------------

inline constexpr std::array<uint8_t, 6> kDimChoices = {0, 25, 35, 45, 60, 75};

// "45%".
std::string dim_choice_text(uint8_t percent);
// The list position of a value; a value that is not a choice (possible from the file)
// shows 45% while the value itself is kept.
size_t dim_list_index(uint8_t percent);

// "Follow the system", then every language's own name in table order.
std::vector<std::string> language_list_items(const Catalogue& catalogue);
// Position 0 is "Follow the system"; a language outside the table shows it too.
size_t language_list_index(Language language);

// --- what the window does after a reaction ------------------------------------------

// Of every Kestrix hotkey at once: while a button records, none is registered, so that
// any combination (one of Kestrix's own included) reaches the recorder.
enum class HotkeyRegistration { Keep, Unregister, Register };

struct SettingsEffect {
    HotkeyRegistration registration = HotkeyRegistration::Keep;  // of the state's hotkeys
    CaptureMode button = CaptureMode::Region;                    // the hotkey button the text is for
    std::optional<std::string> button_text;                      // that button's new text
    bool recorded = false;  // a new combination was recorded for it: tell when the system refuses it
    std::optional<std::string> note;                             // the note's new text; empty clears it
    std::optional<Language> interface_language;                  // make it current and relabel the window
    friend bool operator==(const SettingsEffect&, const SettingsEffect&) = default;
};

// A hotkey button clicked: starts recording (the global hotkeys are let go so that any
// combination can be pressed), or ends a recording without a change. A button of a
// mode whose hotkey may be off says in the note how to turn it off.
SettingsEffect click_hotkey_button(SettingsState& state, const Catalogue& catalogue,
                                   CaptureMode mode = CaptureMode::Region);

// A key pressed on the hotkey button while it records. Escape ends without a change;
// modifiers alone and keys that cannot be recorded are ignored; a combination the
// recorder refuses, or one another Kestrix hotkey has, shows why in the note and
// recording goes on; Backspace or Delete turn a hotkey that may be off off; anything
// else becomes the hotkey. `layouts` are the user's installed keyboard layouts.
SettingsEffect press_key_while_recording(SettingsState& state, uint32_t virtual_key, const KeyStateSource& key_is_down,
                                         std::span<const KeyboardLayout> layouts, const Catalogue& catalogue);

// Why a recorder refuses a combination, or nothing when it may become a hotkey: a
// letter or digit with no modifier, or one that types a character on one of the
// layouts (any letter or digit with Shift alone does).
std::optional<std::string> recording_refusal(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts,
                                             const Catalogue& catalogue);

// A hotkey button's text: the combination, or "Off".
std::string hotkey_button_text(const SettingsState& state, CaptureMode mode, const Catalogue& catalogue);

// Ends a recording without a change (Escape, a second click, the focus going elsewhere).
SettingsEffect stop_recording(SettingsState& state, const Catalogue& catalogue);

// A position chosen in the language list; position 0 follows the system's languages.
SettingsEffect choose_language(SettingsState& state, int64_t position, std::span<const std::string> system_languages);

// A position chosen in the dim list; an impossible one gives 45.
SettingsEffect choose_dim(SettingsState& state, int64_t position);

// One of the four check boxes that edit a value (confirmation, sending, status icon,
// updates) clicked into `checked`. Hiding the icon names the hotkey in the note.
SettingsEffect set_switch(SettingsState& state, SettingsControl control, bool checked, const Catalogue& catalogue);

// A folder chosen in the picker becomes the capture folder, and the note is cleared;
// one with "#" in its path is refused with a note, since the settings file would read
// everything from that "#" on as a comment and lose the folder.
SettingsEffect choose_save_folder(SettingsState& state, std::string folder, const Catalogue& catalogue);

// The refusal of a plain letter or digit, asking for "Ctrl / Alt / Shift / Win".
std::string plain_key_refusal(const Catalogue& catalogue);

// The note while nothing else is being said: with the icon hidden it tells which
// hotkey is now the only way in, otherwise it is empty.
std::string resting_note(const SettingsState& state, const Catalogue& catalogue);

// --- start at login ----------------------------------------------------------------

enum class LoginState : uint8_t {
    On = 0,           // the Run value exists and Windows has not disabled it
    Off = 1,          // no Run value
    OffOutside = 2,   // the Run value exists but the system's startup settings disabled it
    Unavailable = 3,  // the program's own path is not known, or the Run key cannot be opened
};

// What the registry holds for the program.
struct LoginRegistry {
    bool path_known = false;                     // the running executable's path could be had
    bool run_value = false;                      // the Run key has a string value of ours
    std::optional<std::vector<uint8_t>> approved;  // the StartupApproved value, when it could be read
};

// Disabled elsewhere when the StartupApproved value's first byte is odd.
LoginState login_state(const LoginRegistry& registry);

// How the box and the note show a state.
struct LoginView {
    bool checked = false;
    std::string note;  // empty unless the system's startup settings turned it off
};
LoginView login_view(LoginState state, const Catalogue& catalogue);

// The note when the window opens: why start at login is off when the system's startup
// settings turned it off, otherwise the resting note.
std::string opening_note(const SettingsState& state, LoginState login, const Catalogue& catalogue);

}  // namespace kestrix
