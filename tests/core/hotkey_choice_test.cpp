#include "kestrix/hotkey_choice.h"

#include <gtest/gtest.h>

#include "keyboard_tables.h"

namespace kestrix {
namespace {

using test::german_layout;
using test::polish_layout;
using test::us_layout;

const Catalogue& english() { return catalogue_for(kEnglish); }
Hotkey key(std::string_view text) { return parse_hotkey(text).value(); }

TEST(StartHotkey, TheDefaultGivesWayWhereItTypesAndOnlyThere) {
    const std::vector<KeyboardLayout> us_german = {us_layout(), german_layout()};
    EXPECT_EQ(start_hotkey(Hotkey{}, false, us_german), (StartHotkey{Hotkey{}, false, std::nullopt}));

    const std::vector<KeyboardLayout> with_polish = {us_layout(), polish_layout()};
    const StartHotkey polish = start_hotkey(Hotkey{}, false, with_polish);
    EXPECT_EQ(polish.hotkey.text(), "Ctrl+Shift+A");
    EXPECT_TRUE(polish.fallback);
    EXPECT_EQ(polish.taken, U'ą');
}

TEST(StartHotkey, AHotkeyTheUserWroteIsKeptAndWhatItTakesIsNamed) {
    const std::vector<KeyboardLayout> with_polish = {us_layout(), polish_layout()};
    EXPECT_EQ(start_hotkey(Hotkey{}, true, with_polish), (StartHotkey{Hotkey{}, false, U'ą'}));
    const std::vector<KeyboardLayout> german = {german_layout()};
    EXPECT_EQ(start_hotkey(key("Ctrl+Alt+Q"), true, german), (StartHotkey{key("Ctrl+Alt+Q"), false, U'@'}));
    EXPECT_EQ(start_hotkey(key("Shift+F12"), true, german), (StartHotkey{key("Shift+F12"), false, std::nullopt}));
}

TEST(StartHotkey, TheFallbacksTypeNothingOnTheseLayoutsAndTheNextStandsInWhenOneDoes) {
    const std::vector<KeyboardLayout> all = {us_layout(), german_layout(), polish_layout()};
    for (const Hotkey& fallback : kFallbackHotkeys) EXPECT_TRUE(characters_typed(fallback, all).empty()) << fallback.text();

    // A layout that gives a letter for Ctrl+Shift+A, and AltGr+A too.
    KeyboardLayout odd = polish_layout();
    std::erase_if(odd.keys, [](const KeyboardLayout::Key& k) { return k.virtual_key == 'A' && k.modifiers == 6; });
    odd.keys.push_back({'A', Hotkey::kCtrl | Hotkey::kShift, U'æ'});
    const StartHotkey start = start_hotkey(Hotkey{}, false, std::vector{odd});
    EXPECT_EQ(start.hotkey.text(), "Ctrl+Shift+F12");
    EXPECT_TRUE(start.fallback);
}

TEST(StartNotice, SaysWhatIsInForceOnceAndNothingOnAQuietStart) {
    const StartHotkey usual{Hotkey{}, false, std::nullopt};
    EXPECT_EQ(start_notice(usual, false, english()), "Kestrix is running. Press Ctrl+Alt+A to capture.");
    EXPECT_EQ(start_notice(usual, true, english()), std::nullopt);

    const StartHotkey fallback{key("Ctrl+Shift+A"), true, U'ą'};
    EXPECT_EQ(start_notice(fallback, false, english()),
              "Kestrix is running. Press Ctrl+Shift+A to capture \u2014 Ctrl+Alt+A types a character on one of your "
              "keyboards.");
    EXPECT_EQ(start_notice(fallback, true, english()), std::nullopt);

    const StartHotkey written{Hotkey{}, false, U'ą'};
    EXPECT_EQ(start_notice(written, false, english()),
              "Kestrix is running. Its capture shortcut types \u201C\u0105\u201D on one of your keyboards, so that "
              "character cannot be typed while Kestrix runs.");
}

TEST(HotkeyUnavailable, PrintScreenNamesTheWindowsSettingWhenWindowsHoldsIt) {
    // The setting's value wins; without one, Windows 11 has it on and Windows 10 off.
    EXPECT_TRUE(windows_claims_print_screen(1, 19045));
    EXPECT_FALSE(windows_claims_print_screen(0, 22631));
    EXPECT_TRUE(windows_claims_print_screen(std::nullopt, 22000));
    EXPECT_FALSE(windows_claims_print_screen(std::nullopt, 19045));

    const std::string windows = hotkey_unavailable_text(key("PrintScreen"), true, english());
    EXPECT_EQ(windows.rfind("Windows uses PrintScreen to open its own screen capture.", 0), 0u) << windows;
    EXPECT_NE(windows.find("Settings \u203A Accessibility \u203A Keyboard"), std::string::npos);
    EXPECT_EQ(hotkey_unavailable_text(key("Ctrl+PrintScreen"), true, english()).rfind("Windows uses Ctrl+PrintScreen", 0), 0u);

    const std::string other = "PrintScreen is already in use by another application. Use the Kestrix menu to capture, or "
                              "set a different hotkey in the config file.";
    EXPECT_EQ(hotkey_unavailable_text(key("PrintScreen"), false, english()), other);
    EXPECT_EQ(hotkey_unavailable_text(key("Ctrl+Alt+A"), true, english()).rfind("Ctrl+Alt+A is already in use", 0), 0u);
}

}  // namespace
}  // namespace kestrix
