#include "kestrix/settings.h"

#include <algorithm>

namespace kestrix {

namespace {

constexpr uint32_t kEscapeKey = 0x1B;
constexpr uint32_t kBackspaceKey = 0x08;
constexpr uint32_t kDeleteKey = 0x2E;
constexpr uint8_t kFallbackDim = 45;

bool is_plain_char(const Hotkey& hotkey) {
    return hotkey.modifiers == 0 && std::holds_alternative<Hotkey::Char>(hotkey.key);
}

// Ends recording with whatever the recording mode's hotkey now holds, and registers
// every hotkey again.
SettingsEffect end_recording(SettingsState& state, const Catalogue& catalogue) {
    state.recording = false;
    SettingsEffect effect;
    effect.registration = HotkeyRegistration::Register;
    effect.button = state.recording_mode;
    effect.button_text = hotkey_button_text(state, state.recording_mode, catalogue);
    // A refusal has served its purpose, and the icon note must name the hotkey now in use.
    effect.note = resting_note(state, catalogue);
    return effect;
}

// The values a Config and a SettingsState share, from one to the other.
template <class From, class To>
void copy_values(const From& from, To& to) {
    to.hotkey = from.hotkey;
    to.hotkey_last_region = from.hotkey_last_region;
    to.hotkey_screen = from.hotkey_screen;
    to.hotkey_window = from.hotkey_window;
    to.overlay_dim_percent = from.overlay_dim_percent;
    to.language = from.language;
    to.show_confirmation = from.show_confirmation;
    to.transfer_enabled = from.transfer_enabled;
    to.show_tray_icon = from.show_tray_icon;
    to.check_for_updates = from.check_for_updates;
    to.save_folder = from.save_folder;
}

constexpr SettingsControl kHotkeyButtons[] = {SettingsControl::HotkeyButton, SettingsControl::LastRegionHotkeyButton,
                                              SettingsControl::ScreenHotkeyButton, SettingsControl::WindowHotkeyButton};
constexpr Message kHotkeyLabels[] = {Message::settings_hotkey_label, Message::settings_last_region_hotkey,
                                     Message::settings_screen_hotkey, Message::settings_window_hotkey};

}  // namespace

SettingsControl hotkey_button_control(CaptureMode mode) { return kHotkeyButtons[size_t(mode) % kCaptureModeCount]; }

std::optional<CaptureMode> hotkey_button_mode(SettingsControl control) {
    for (CaptureMode mode : kHotkeyModes)
        if (hotkey_button_control(mode) == control) return mode;
    return std::nullopt;
}

Message hotkey_row_label(CaptureMode mode) { return kHotkeyLabels[size_t(mode) % kCaptureModeCount]; }

std::string hotkey_button_text(const SettingsState& state, CaptureMode mode, const Catalogue& catalogue) {
    const std::optional<Hotkey> hotkey = capture_hotkey(state, mode);
    return hotkey ? hotkey->text() : std::string(catalogue[Message::settings_hotkey_off]);
}

SettingsState settings_state(const Config& config) {
    SettingsState state;
    copy_values(config, state);
    return state;
}

std::optional<Config> settings_result(const Config& given, const SettingsState& state) {
    Config edited = given;
    copy_values(state, edited);
    if (edited == given) return std::nullopt;
    return edited;
}

std::string save_folder_text(const SettingsState& state, const Catalogue& catalogue) {
    if (state.save_folder.empty()) return std::string(catalogue[Message::settings_save_folder_unset]);
    return state.save_folder;
}

SettingsEffect choose_save_folder(SettingsState& state, std::string folder, const Catalogue& catalogue) {
    SettingsEffect effect;
    if (folder.find('#') != std::string::npos) {
        effect.note = std::string(catalogue[Message::settings_save_folder_hash]);
        return effect;
    }
    state.save_folder = std::move(folder);
    effect.note = std::string();
    return effect;
}

std::string dim_choice_text(uint8_t percent) { return std::to_string(percent) + "%"; }

size_t dim_list_index(uint8_t percent) {
    const auto* found = std::find(kDimChoices.begin(), kDimChoices.end(), percent);
    if (found == kDimChoices.end()) found = std::find(kDimChoices.begin(), kDimChoices.end(), kFallbackDim);
    return size_t(found - kDimChoices.begin());
}

std::vector<std::string> language_list_items(const Catalogue& catalogue) {
    std::vector<std::string> items{std::string(catalogue[Message::settings_follow_system])};
    for (Language language = 0; language < kLanguageCount; ++language)
        items.emplace_back(language_display_name(language));
    return items;
}

size_t language_list_index(Language language) { return language < kLanguageCount ? size_t(language) + 1 : 0; }

SettingsEffect click_hotkey_button(SettingsState& state, const Catalogue& catalogue, CaptureMode mode) {
    if (state.recording) return stop_recording(state, catalogue);
    state.recording = true;
    state.recording_mode = mode;
    SettingsEffect effect;
    effect.registration = HotkeyRegistration::Unregister;
    effect.button = mode;
    effect.button_text = std::string(catalogue[Message::settings_recording]);
    effect.note = mode == CaptureMode::Region ? std::string() : std::string(catalogue[Message::settings_hotkey_off_hint]);
    return effect;
}

SettingsEffect press_key_while_recording(SettingsState& state, uint32_t virtual_key, const KeyStateSource& key_is_down,
                                         std::span<const KeyboardLayout> layouts, const Catalogue& catalogue) {
    if (!state.recording) return {};
    if (virtual_key == kEscapeKey) return stop_recording(state, catalogue);
    const CaptureMode mode = state.recording_mode;
    if ((virtual_key == kBackspaceKey || virtual_key == kDeleteKey) && mode != CaptureMode::Region) {
        set_capture_hotkey(state, mode, std::nullopt);
        return end_recording(state, catalogue);
    }
    const std::optional<Hotkey> pressed = hotkey_from_key_press(virtual_key, key_is_down);
    if (!pressed) return {};
    SettingsEffect refused;
    if (auto refusal = recording_refusal(*pressed, layouts, catalogue)) {
        refused.note = std::move(*refusal);
        return refused;
    }
    if (const auto owner = capture_hotkey_owner(state, *pressed, mode)) {
        // One combination can start only one kind of capture.
        refused.note = format_message(catalogue[Message::settings_hotkey_used_by_kestrix],
                                      catalogue[hotkey_row_label(*owner)]);
        return refused;
    }
    const bool changed = capture_hotkey(state, mode) != pressed;
    set_capture_hotkey(state, mode, pressed);
    SettingsEffect effect = end_recording(state, catalogue);
    effect.recorded = changed;
    return effect;
}

std::optional<std::string> recording_refusal(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts,
                                             const Catalogue& catalogue) {
    // Taking a bare letter or digit system-wide would stop it from being typed anywhere.
    if (is_plain_char(hotkey)) return plain_key_refusal(catalogue);
    // So would a combination that types a character: AltGr (Ctrl+Alt) or Shift with a key.
    if (const auto taken = character_taken(hotkey, layouts))
        return format_message(catalogue[Message::settings_hotkey_types], character_text(*taken));
    return std::nullopt;
}

SettingsEffect stop_recording(SettingsState& state, const Catalogue& catalogue) {
    if (!state.recording) return {};
    return end_recording(state, catalogue);
}

SettingsEffect choose_language(SettingsState& state, int64_t position, std::span<const std::string> system_languages) {
    if (position < 0 || position > int64_t(kLanguageCount)) return {};
    SettingsEffect effect;
    if (position == 0) {
        state.language = kAutomaticLanguage;
        effect.interface_language = preferred_language(system_languages);
    } else {
        state.language = Language(position - 1);
        effect.interface_language = state.language;
    }
    return effect;
}

SettingsEffect choose_dim(SettingsState& state, int64_t position) {
    state.overlay_dim_percent = position >= 0 && position < int64_t(kDimChoices.size()) ? kDimChoices[size_t(position)]
                                                                                         : kFallbackDim;
    return {};
}

SettingsEffect set_switch(SettingsState& state, SettingsControl control, bool checked, const Catalogue& catalogue) {
    switch (control) {
        case SettingsControl::Confirmation:
            state.show_confirmation = checked;
            return {};
        case SettingsControl::Transfer:
            state.transfer_enabled = checked;
            return {};
        case SettingsControl::CheckForUpdates:
            state.check_for_updates = checked;
            return {};
        case SettingsControl::ShowIcon: {
            state.show_tray_icon = checked;
            SettingsEffect effect;
            effect.note = resting_note(state, catalogue);
            return effect;
        }
        default:
            return {};
    }
}

std::string plain_key_refusal(const Catalogue& catalogue) {
    // The modifier names are the same in every language, as on the keys themselves.
    return format_message(catalogue[Message::settings_plain_key_refused], "Ctrl / Alt / Shift / Win");
}

std::string resting_note(const SettingsState& state, const Catalogue& catalogue) {
    if (state.show_tray_icon) return {};
    return format_message(catalogue[Message::settings_icon_hidden_note], state.hotkey.text());
}

LoginState login_state(const LoginRegistry& registry) {
    if (!registry.path_known) return LoginState::Unavailable;
    if (!registry.run_value) return LoginState::Off;
    if (registry.approved && !registry.approved->empty() && ((*registry.approved)[0] & 1) != 0)
        return LoginState::OffOutside;
    return LoginState::On;
}

LoginView login_view(LoginState state, const Catalogue& catalogue) {
    LoginView view;
    view.checked = state == LoginState::On;
    if (state == LoginState::OffOutside) view.note = std::string(catalogue[Message::settings_login_disabled_elsewhere]);
    return view;
}

std::string opening_note(const SettingsState& state, LoginState login, const Catalogue& catalogue) {
    if (login == LoginState::OffOutside) return login_view(login, catalogue).note;
    return resting_note(state, catalogue);
}

}  // namespace kestrix
