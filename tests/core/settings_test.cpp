#include "kestrix/settings.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>

#include "keyboard_tables.h"

namespace kestrix {
namespace {

const Catalogue& english() { return catalogue_for(kEnglish); }

// Keys held down during a press, by virtual-key code.
KeyStateSource holding(std::set<uint32_t> keys) {
    return [keys](uint32_t vk) { return keys.count(vk) != 0; };
}
constexpr uint32_t kShift = 0x10, kCtrl = 0x11, kAlt = 0x12, kLeftWin = 0x5B, kEscape = 0x1B, kSpace = 0x20;
constexpr uint32_t kF9 = 0x78, kF21 = 0x84, kPrintScreen = 0x2C, kInsert = 0x2D;

Config unusual_config() {
    Config config;
    config.hotkey = *parse_hotkey("Shift+F12");
    config.overlay_dim_percent = 50;  // not a list choice
    config.language = 6;
    config.show_confirmation = false;
    config.transfer_enabled = true;
    config.show_tray_icon = false;
    config.check_for_updates = false;
    config.save_folder = "D:\\Shots";
    config.file_name_pattern = "{counter}";  // not in the window: kept as it was
    config.recent_captures = 3;
    return config;
}

SettingsState recording_state(const Config& config = Config{}) {
    SettingsState state = settings_state(config);
    click_hotkey_button(state, english());
    return state;
}

TEST(SettingsResult, UntouchedIsUnchangedAndEveryEditedFieldCounts) {
    const Config given = unusual_config();
    SettingsState state = settings_state(given);
    EXPECT_EQ(settings_result(given, state), std::nullopt);
    // Recording, and flags of the window itself, are not settings.
    state.recording = true;
    state.done = true;
    EXPECT_EQ(settings_result(given, state), std::nullopt);

    const std::vector<std::function<void(SettingsState&)>> edits = {
        [](SettingsState& s) { s.hotkey = *parse_hotkey("F9"); },
        [](SettingsState& s) { s.overlay_dim_percent = 45; },
        [](SettingsState& s) { s.language = kAutomaticLanguage; },
        [](SettingsState& s) { s.show_confirmation = true; },
        [](SettingsState& s) { s.transfer_enabled = false; },
        [](SettingsState& s) { s.show_tray_icon = true; },
        [](SettingsState& s) { s.check_for_updates = true; },
        [](SettingsState& s) { s.save_folder.clear(); },
        [](SettingsState& s) { s.hotkey_last_region = *parse_hotkey("F7"); },
        [](SettingsState& s) { s.hotkey_screen = *parse_hotkey("F8"); },
        [](SettingsState& s) { s.hotkey_window = *parse_hotkey("Alt+F9"); },
    };
    for (size_t i = 0; i < edits.size(); ++i) {
        SettingsState edited = settings_state(given);
        edits[i](edited);
        const auto result = settings_result(given, edited);
        ASSERT_TRUE(result.has_value()) << "edit " << i;
        EXPECT_NE(*result, given) << "edit " << i;
        EXPECT_EQ(settings_state(*result).hotkey, edited.hotkey) << "edit " << i;
        EXPECT_EQ(settings_result(*result, edited), std::nullopt) << "edit " << i;
        EXPECT_EQ(result->file_name_pattern, "{counter}");
        EXPECT_EQ(result->recent_captures, 3u);
    }
    // The folder's row shows the folder, or that captures are only copied.
    EXPECT_EQ(save_folder_text(settings_state(given), english()), "D:\\Shots");
    EXPECT_EQ(save_folder_text(settings_state(Config{}), english()), "Not saved, only copied");
}

TEST(SettingsState, AChosenFolderIsTakenUnlessTheFileCouldNotHoldIt) {
    Config given;
    given.save_folder = "D:\\Shots";
    SettingsState state = settings_state(given);
    state.save_folder = "D:\\Shots";

    const SettingsEffect taken = choose_save_folder(state, "E:\\Team's shots", english());
    EXPECT_EQ(state.save_folder, "E:\\Team's shots");
    EXPECT_EQ(taken.note, std::string());  // a refusal shown before goes
    ASSERT_TRUE(settings_result(given, state));
    EXPECT_EQ(settings_result(given, state)->save_folder, "E:\\Team's shots");
    EXPECT_EQ(parse_config(render_config(*settings_result(given, state))).values.save_folder, "E:\\Team's shots");

    // Everything from a "#" on is a comment in the file: the folder would be lost on
    // the next start, so it is refused and the folder set before stays.
    const SettingsEffect refused = choose_save_folder(state, "C:\\Users\\me\\C# projects", english());
    EXPECT_EQ(state.save_folder, "E:\\Team's shots");
    EXPECT_EQ(refused.note, "Kestrix cannot use a folder whose path contains “#”. Choose another folder.");
    EXPECT_EQ(refused.registration, HotkeyRegistration::Keep);
}

TEST(SettingsResult, ASwitchTurnedOffAndOnAgainIsUnchanged) {
    const Config given;
    SettingsState state = settings_state(given);
    set_switch(state, SettingsControl::ShowIcon, false, english());
    set_switch(state, SettingsControl::ShowIcon, true, english());
    choose_dim(state, 0);
    choose_dim(state, 3);
    EXPECT_EQ(settings_result(given, state), std::nullopt);
}

TEST(SettingsLists, DimChoicesAndAValueFromTheFileThatIsNotOne) {
    std::vector<std::string> texts;
    for (uint8_t percent : kDimChoices) texts.push_back(dim_choice_text(percent));
    EXPECT_EQ(texts, (std::vector<std::string>{"0%", "25%", "35%", "45%", "60%", "75%"}));
    for (size_t i = 0; i < kDimChoices.size(); ++i) EXPECT_EQ(dim_list_index(kDimChoices[i]), i);

    // 50 shows 45% and stays 50 until the user picks something.
    const Config given = unusual_config();
    EXPECT_EQ(kDimChoices[dim_list_index(50)], 45);
    EXPECT_EQ(kDimChoices[dim_list_index(100)], 45);
    SettingsState state = settings_state(given);
    EXPECT_EQ(settings_result(given, state), std::nullopt);
    choose_dim(state, 3);
    EXPECT_EQ(settings_result(given, state)->overlay_dim_percent, 45);
    choose_dim(state, 5);
    EXPECT_EQ(state.overlay_dim_percent, 75);
    choose_dim(state, -1);  // no selection
    EXPECT_EQ(state.overlay_dim_percent, 45);
    choose_dim(state, 6);
    EXPECT_EQ(state.overlay_dim_percent, 45);
}

TEST(SettingsLists, LanguageListFollowsTheSystemFirstThenEveryLanguage) {
    const auto items = language_list_items(catalogue_for(7));
    ASSERT_EQ(items.size(), 20u);
    EXPECT_EQ(items[0], catalogue_for(7)[Message::settings_follow_system]);
    EXPECT_EQ(items[1], "English");
    EXPECT_EQ(items[8], "Deutsch");
    EXPECT_EQ(items[19], "العربية");
    EXPECT_EQ(language_list_index(kAutomaticLanguage), 0u);
    EXPECT_EQ(language_list_index(7), 8u);
    EXPECT_EQ(language_list_index(19), 0u);
    for (Language language = 0; language < kLanguageCount; ++language)
        EXPECT_EQ(items[language_list_index(language)], language_display_name(language));
}

TEST(SettingsLists, ChoosingALanguageSetsTheValueAndTheInterfaceLanguage) {
    SettingsState state = settings_state(Config{});
    const std::vector<std::string> system = {"sr-Latn-RS", "de-DE", "en-US"};

    auto effect = choose_language(state, 7, system);  // Français
    EXPECT_EQ(state.language, 6);
    EXPECT_EQ(effect.interface_language, std::optional<Language>(6));

    effect = choose_language(state, 0, system);
    EXPECT_EQ(state.language, kAutomaticLanguage);
    EXPECT_EQ(effect.interface_language, std::optional<Language>(7));  // the first the system list matches

    const std::vector<std::string> unmatched = {"sr-Latn-RS", "x"};
    EXPECT_EQ(choose_language(state, 0, unmatched).interface_language, std::optional<Language>(kEnglish));
    EXPECT_EQ(choose_language(state, 0, {}).interface_language, std::optional<Language>(kEnglish));

    // No selection, or one past the end, changes nothing.
    choose_language(state, 8, system);
    EXPECT_EQ(choose_language(state, -1, system), SettingsEffect{});
    EXPECT_EQ(choose_language(state, 20, system), SettingsEffect{});
    EXPECT_EQ(state.language, 7);
}

TEST(SettingsRecording, ClickLetsTheHotkeyGoAndAsksForACombination) {
    SettingsState state = settings_state(unusual_config());
    const SettingsEffect effect = click_hotkey_button(state, english());
    EXPECT_TRUE(state.recording);
    EXPECT_EQ(effect.registration, HotkeyRegistration::Unregister);
    EXPECT_EQ(effect.button_text, std::optional<std::string>("Press a combination…"));
    EXPECT_EQ(effect.note, std::optional<std::string>(""));
}

TEST(SettingsRecording, ModifiersAloneAndUnrecordableKeysAreIgnored) {
    SettingsState state = recording_state();
    for (uint32_t vk : {kShift, kCtrl, kAlt, kLeftWin, kF21, kSpace}) {
        EXPECT_EQ(press_key_while_recording(state, vk, holding({kCtrl, kShift}), test::us_only(), english()), SettingsEffect{}) << vk;
        EXPECT_TRUE(state.recording) << vk;
    }
    EXPECT_EQ(state.hotkey, Hotkey{});
}

TEST(SettingsRecording, ACombinationBecomesTheHotkeyAndIsRegistered) {
    SettingsState state = recording_state();
    const SettingsEffect effect = press_key_while_recording(state, 'S', holding({kCtrl, kShift}), test::us_only(), english());
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.hotkey.text(), "Ctrl+Shift+S");
    EXPECT_EQ(effect.registration, HotkeyRegistration::Register);
    EXPECT_EQ(effect.button_text, std::optional<std::string>("Ctrl+Shift+S"));
    EXPECT_EQ(effect.note, std::optional<std::string>(""));
    // Once recording has ended, keys do nothing.
    EXPECT_EQ(press_key_while_recording(state, 'Q', holding({kCtrl}), test::us_only(), english()), SettingsEffect{});
    EXPECT_EQ(state.hotkey.text(), "Ctrl+Shift+S");
}

TEST(SettingsRecording, APlainLetterOrDigitIsRefusedAndRecordingGoesOn) {
    SettingsState state = recording_state();
    for (uint32_t vk : {uint32_t('S'), uint32_t('7')}) {
        const SettingsEffect effect = press_key_while_recording(state, vk, holding({}), test::us_only(), english());
        EXPECT_TRUE(state.recording);
        EXPECT_EQ(effect.registration, HotkeyRegistration::Keep);
        EXPECT_EQ(effect.note,
                  std::optional<std::string>("Add Ctrl / Alt / Shift / Win — a plain key would be taken away from every other app."));
    }
    EXPECT_EQ(state.hotkey, Hotkey{});
    // With a modifier the digit is fine, and the refusal goes away.
    const SettingsEffect effect = press_key_while_recording(state, '7', holding({kAlt}), test::us_only(), english());
    EXPECT_EQ(state.hotkey.text(), "Alt+7");
    EXPECT_EQ(effect.note, std::optional<std::string>(""));
}

TEST(SettingsRecording, ACombinationThatTypesOnAnInstalledLayoutIsRefusedAndNamed) {
    const std::vector<KeyboardLayout> us_and_polish = {test::us_layout(), test::polish_layout()};
    SettingsState state = recording_state();
    // AltGr+A (Ctrl+Alt+A) types "ą" on the Polish layout, AltGr+Shift+A "Ą".
    SettingsEffect effect = press_key_while_recording(state, 'A', holding({kCtrl, kAlt}), us_and_polish, english());
    EXPECT_TRUE(state.recording);
    EXPECT_EQ(effect.registration, HotkeyRegistration::Keep);
    EXPECT_EQ(effect.note, std::optional<std::string>(
                               "This shortcut types \u201C\u0105\u201D on one of your keyboards. Choose another shortcut."));
    effect = press_key_while_recording(state, 'A', holding({kCtrl, kAlt, kShift}), us_and_polish, english());
    EXPECT_TRUE(state.recording);
    EXPECT_NE(effect.note->find("\u201C\u0104\u201D"), std::string::npos) << *effect.note;
    // Shift with a letter or digit types on every layout, and is refused even when no layout was read.
    effect = press_key_while_recording(state, '1', holding({kShift}), us_and_polish, english());
    EXPECT_NE(effect.note->find("\u201C!\u201D"), std::string::npos) << *effect.note;
    effect = press_key_while_recording(state, 'S', holding({kShift}), {}, english());
    EXPECT_NE(effect.note->find("\u201CS\u201D"), std::string::npos) << *effect.note;
    EXPECT_TRUE(state.recording);
    EXPECT_EQ(state.hotkey, Hotkey{});

    // Ctrl+Alt+Q is "@" on a German keyboard only, so it is fine with these two.
    effect = press_key_while_recording(state, 'Q', holding({kCtrl, kAlt}), us_and_polish, english());
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.hotkey.text(), "Ctrl+Alt+Q");
    EXPECT_EQ(effect.note, std::optional<std::string>(""));

    SettingsState german = recording_state();
    press_key_while_recording(german, 'Q', holding({kCtrl, kAlt}), std::vector{test::german_layout()}, english());
    EXPECT_TRUE(german.recording);
}

TEST(SettingsRecording, TheRefusalRuleIsTheRecordersWhereverItIsUsed) {
    const std::vector<KeyboardLayout> layouts = {test::german_layout()};
    EXPECT_EQ(recording_refusal(*parse_hotkey("S"), layouts, english()), plain_key_refusal(english()));
    EXPECT_NE(recording_refusal(*parse_hotkey("Ctrl+Alt+E"), layouts, english())->find("\u20AC"), std::string::npos);
    EXPECT_EQ(recording_refusal(*parse_hotkey("Ctrl+Alt+A"), layouts, english()), std::nullopt);
    EXPECT_EQ(recording_refusal(*parse_hotkey("Ctrl+Shift+7"), layouts, english()), std::nullopt);
    EXPECT_EQ(recording_refusal(*parse_hotkey("Win+Shift+7"), layouts, english()), std::nullopt);
    EXPECT_EQ(recording_refusal(*parse_hotkey("Shift+F9"), layouts, english()), std::nullopt);
}

TEST(SettingsRecording, FunctionKeysPrintScreenAndInsertAreAcceptedAlone) {
    for (const auto& [vk, text] : {std::pair{kF9, "F9"}, {kPrintScreen, "PrintScreen"}, {kInsert, "Insert"}}) {
        SettingsState state = recording_state();
        const SettingsEffect effect = press_key_while_recording(state, vk, holding({}), test::us_only(), english());
        EXPECT_FALSE(state.recording) << text;
        EXPECT_EQ(state.hotkey.text(), text);
        EXPECT_EQ(effect.registration, HotkeyRegistration::Register) << text;
    }
}

TEST(SettingsRecording, EscapeOrASecondClickKeepsTheEarlierHotkey) {
    for (int way = 0; way < 3; ++way) {
        SettingsState state = recording_state(unusual_config());
        press_key_while_recording(state, 'S', holding({}), test::us_only(), english());  // a refusal first
        const SettingsEffect effect = way == 0   ? press_key_while_recording(state, kEscape, holding({kCtrl}), test::us_only(), english())
                                      : way == 1 ? click_hotkey_button(state, english())
                                                 : stop_recording(state, english());
        EXPECT_FALSE(state.recording) << way;
        EXPECT_EQ(state.hotkey.text(), "Shift+F12") << way;
        EXPECT_EQ(effect.registration, HotkeyRegistration::Register) << way;
        EXPECT_EQ(effect.button_text, std::optional<std::string>("Shift+F12")) << way;
        // The icon is hidden in this configuration: its note comes back in place of the refusal.
        EXPECT_EQ(effect.note, std::optional<std::string>("With the icon hidden, Shift+F12 is the only way to capture. "
                                                          "Start Kestrix again to reopen this window."))
            << way;
    }
    SettingsState idle = settings_state(Config{});
    EXPECT_EQ(stop_recording(idle, english()), SettingsEffect{});
}

TEST(SettingsRecording, TheOtherModesRowsRecordIntoTheirOwnHotkey) {
    SettingsState state = settings_state(Config{});
    SettingsEffect effect = click_hotkey_button(state, english(), CaptureMode::Screen);
    EXPECT_TRUE(state.recording);
    EXPECT_EQ(effect.button, CaptureMode::Screen);
    EXPECT_EQ(effect.registration, HotkeyRegistration::Unregister);
    EXPECT_EQ(effect.note, std::optional<std::string>("Press Backspace to turn this shortcut off."));

    effect = press_key_while_recording(state, kF9, holding({kShift}), test::us_only(), english());
    EXPECT_FALSE(state.recording);
    EXPECT_EQ(state.hotkey_screen, parse_hotkey("Shift+F9").value());
    EXPECT_EQ(state.hotkey, Hotkey{});
    EXPECT_EQ(effect.button, CaptureMode::Screen);
    EXPECT_EQ(effect.button_text, std::optional<std::string>("Shift+F9"));
    EXPECT_EQ(effect.registration, HotkeyRegistration::Register);
    EXPECT_TRUE(effect.recorded);

    // The same combination again is no news for the system.
    click_hotkey_button(state, english(), CaptureMode::Screen);
    EXPECT_FALSE(press_key_while_recording(state, kF9, holding({kShift}), test::us_only(), english()).recorded);
    // And the result carries it.
    const auto result = settings_result(Config{}, state);
    ASSERT_TRUE(result);
    EXPECT_EQ(result->hotkey_screen, parse_hotkey("Shift+F9").value());
}

TEST(SettingsRecording, BackspaceTurnsAnOtherModesHotkeyOffButNotTheCaptureHotkey) {
    Config config;
    config.hotkey_window = *parse_hotkey("Ctrl+Shift+W");
    for (uint32_t key : {0x08u, 0x2Eu}) {  // Backspace, Delete
        SettingsState state = settings_state(config);
        click_hotkey_button(state, english(), CaptureMode::Window);
        const SettingsEffect effect = press_key_while_recording(state, key, holding({kCtrl}), test::us_only(), english());
        EXPECT_FALSE(state.recording);
        EXPECT_EQ(state.hotkey_window, std::nullopt);
        EXPECT_EQ(effect.button_text, std::optional<std::string>("Off"));
        EXPECT_EQ(settings_result(config, state)->hotkey_window, std::nullopt);

        // The capture hotkey cannot be off: the key means nothing there.
        SettingsState capture = settings_state(config);
        click_hotkey_button(capture, english());
        EXPECT_EQ(press_key_while_recording(capture, key, holding({}), test::us_only(), english()), SettingsEffect{});
        EXPECT_TRUE(capture.recording);
        EXPECT_EQ(capture.hotkey, Hotkey{});
    }
    SettingsState state = settings_state(config);
    EXPECT_EQ(hotkey_button_text(state, CaptureMode::Window, english()), "Ctrl+Shift+W");
    EXPECT_EQ(hotkey_button_text(state, CaptureMode::LastRegion, catalogue_for(3)), "なし");
}

TEST(SettingsRecording, ACombinationOfAnotherKestrixHotkeyIsRefusedByName) {
    Config config;
    config.hotkey_last_region = *parse_hotkey("Ctrl+Shift+L");
    SettingsState state = settings_state(config);
    click_hotkey_button(state, english(), CaptureMode::Screen);
    SettingsEffect effect = press_key_while_recording(state, 'A', holding({kCtrl, kAlt}), test::us_only(), english());
    EXPECT_TRUE(state.recording);
    EXPECT_EQ(effect.registration, HotkeyRegistration::Keep);
    EXPECT_EQ(effect.note, std::optional<std::string>("Kestrix already uses that combination for “Capture hotkey”."));
    EXPECT_EQ(state.hotkey_screen, std::nullopt);

    // The other way round, from the capture hotkey's row, in German.
    SettingsState capture = settings_state(config);
    click_hotkey_button(capture, catalogue_for(7));
    effect = press_key_while_recording(capture, 'L', holding({kCtrl, kShift}), test::us_only(), catalogue_for(7));
    EXPECT_TRUE(capture.recording);
    EXPECT_EQ(effect.note,
              std::optional<std::string>("Kestrix verwendet diese Tastenkombination bereits für „Letzten Bereich aufnehmen“."));
    EXPECT_EQ(capture.hotkey, Hotkey{});

    // A mode's row refuses a combination that types, as the capture hotkey's does.
    const std::vector<KeyboardLayout> german = {test::german_layout()};
    SettingsState typing = settings_state(config);
    click_hotkey_button(typing, english(), CaptureMode::Window);
    effect = press_key_while_recording(typing, 'E', holding({kCtrl, kAlt}), german, english());
    EXPECT_TRUE(typing.recording);
    ASSERT_TRUE(effect.note);
    EXPECT_NE(effect.note->find("\u20AC"), std::string::npos);
    EXPECT_EQ(typing.hotkey_window, std::nullopt);

    // A row's own combination is not another's.
    SettingsState own = settings_state(config);
    click_hotkey_button(own, english(), CaptureMode::LastRegion);
    press_key_while_recording(own, 'L', holding({kCtrl, kShift}), test::us_only(), english());
    EXPECT_FALSE(own.recording);
    EXPECT_EQ(own.hotkey_last_region, parse_hotkey("Ctrl+Shift+L").value());
}

TEST(SettingsSwitches, EachBoxEditsItsValueAndHidingTheIconNamesTheHotkey) {
    SettingsState state = settings_state(Config{});
    set_switch(state, SettingsControl::Confirmation, false, english());
    set_switch(state, SettingsControl::Transfer, true, english());
    set_switch(state, SettingsControl::CheckForUpdates, false, english());
    EXPECT_FALSE(state.show_confirmation);
    EXPECT_TRUE(state.transfer_enabled);
    EXPECT_FALSE(state.check_for_updates);
    EXPECT_TRUE(state.show_tray_icon);

    SettingsEffect effect = set_switch(state, SettingsControl::ShowIcon, false, english());
    EXPECT_FALSE(state.show_tray_icon);
    EXPECT_EQ(effect.note, std::optional<std::string>("With the icon hidden, Ctrl+Alt+A is the only way to capture. "
                                                      "Start Kestrix again to reopen this window."));
    // A hotkey recorded afterwards is the one the note names.
    click_hotkey_button(state, english());
    effect = press_key_while_recording(state, kF9, holding({}), test::us_only(), english());
    EXPECT_EQ(effect.note, std::optional<std::string>("With the icon hidden, F9 is the only way to capture. "
                                                      "Start Kestrix again to reopen this window."));
    effect = set_switch(state, SettingsControl::ShowIcon, true, english());
    EXPECT_EQ(effect.note, std::optional<std::string>(""));

    // Start at login is not a setting of the file.
    const SettingsState before = state;
    EXPECT_EQ(set_switch(state, SettingsControl::StartAtLogin, true, english()), SettingsEffect{});
    EXPECT_EQ(settings_result(Config{}, state), settings_result(Config{}, before));
}

TEST(StartAtLogin, StateFromWhatTheRegistryHolds) {
    using Bytes = std::vector<uint8_t>;
    struct Case {
        LoginRegistry registry;
        LoginState state;
    };
    const Case cases[] = {
        {{false, true, Bytes{2}}, LoginState::Unavailable},
        {{false, false, std::nullopt}, LoginState::Unavailable},
        {{true, false, std::nullopt}, LoginState::Off},
        {{true, false, Bytes{3, 0, 0, 0}}, LoginState::Off},  // a disabled entry without a Run value is simply off
        {{true, true, std::nullopt}, LoginState::On},
        {{true, true, Bytes{2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}}, LoginState::On},
        {{true, true, Bytes{6}}, LoginState::On},
        {{true, true, Bytes{}}, LoginState::On},
        {{true, true, Bytes{3, 0, 0, 0, 0xAA, 0xBB, 0xCC, 0xDD, 0, 0, 0, 0}}, LoginState::OffOutside},
        {{true, true, Bytes{7}}, LoginState::OffOutside},
        {{true, true, Bytes{1}}, LoginState::OffOutside},
    };
    for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(login_state(cases[i].registry), cases[i].state) << "case " << i;
}

TEST(StartAtLogin, OnlyOnIsTickedAndOnlyOffOutsideExplains) {
    EXPECT_TRUE(login_view(LoginState::On, english()).checked);
    for (LoginState state : {LoginState::Off, LoginState::OffOutside, LoginState::Unavailable})
        EXPECT_FALSE(login_view(state, english()).checked);
    EXPECT_EQ(login_view(LoginState::OffOutside, english()).note,
              "Turned off outside Kestrix — switch it back on in your system's startup settings.");
    for (LoginState state : {LoginState::On, LoginState::Off, LoginState::Unavailable})
        EXPECT_EQ(login_view(state, english()).note, "");
}

TEST(StartAtLogin, TheOpeningNoteExplainsFirstThenRemindsOfTheHiddenIcon) {
    SettingsState shown = settings_state(Config{});
    SettingsState hidden = settings_state(unusual_config());
    const std::string elsewhere = "Turned off outside Kestrix — switch it back on in your system's startup settings.";
    EXPECT_EQ(opening_note(shown, LoginState::OffOutside, english()), elsewhere);
    EXPECT_EQ(opening_note(hidden, LoginState::OffOutside, english()), elsewhere);
    EXPECT_EQ(opening_note(shown, LoginState::On, english()), "");
    EXPECT_EQ(opening_note(hidden, LoginState::Unavailable, english()),
              "With the icon hidden, Shift+F12 is the only way to capture. Start Kestrix again to reopen this window.");
}

}  // namespace
}  // namespace kestrix
