#include "kestrix/keyboard_layout.h"

#include <gtest/gtest.h>

#include "keyboard_tables.h"

namespace kestrix {
namespace {

using test::german_layout;
using test::polish_layout;
using test::us_layout;

const std::vector<KeyboardLayout> kAllThree = {us_layout(), german_layout(), polish_layout()};

Hotkey key(std::string_view text) { return parse_hotkey(text).value(); }

// "ą@" for the characters a hotkey types on the layouts, in order.
std::u32string typed(std::string_view hotkey, std::span<const KeyboardLayout> layouts = kAllThree) {
    std::u32string out;
    for (const TypedCharacter& c : characters_typed(key(hotkey), layouts)) out += c.character;
    return out;
}

TEST(KeyboardLayout, AltGrIsCtrlAltAndTypesOnTheLayoutsThatHaveIt) {
    EXPECT_EQ(typed("Ctrl+Alt+A"), U"ą");
    EXPECT_EQ(typed("Alt+Ctrl+Shift+A"), U"Ą");
    EXPECT_EQ(typed("Ctrl+Alt+E"), U"€ę");  // German first, then Polish: the layouts' order
    EXPECT_EQ(typed("Ctrl+Alt+Q"), U"@");
    EXPECT_EQ(typed("Ctrl+Alt+7"), U"{");
    EXPECT_EQ(typed("Ctrl+Alt+U"), U"€");
    EXPECT_EQ(typed("Ctrl+Alt+B"), U"");
    EXPECT_EQ(typed("Ctrl+Alt+A", std::vector{us_layout(), german_layout()}), U"");

    const std::vector<TypedCharacter> on_polish = characters_typed(key("Ctrl+Alt+Z"), kAllThree);
    ASSERT_EQ(on_polish.size(), 1u);
    EXPECT_EQ(on_polish[0], (TypedCharacter{0x04150415, "pl-PL", U'ż'}));
}

TEST(KeyboardLayout, ShiftTypesOnEveryLayoutAndThePlainKeyToo) {
    EXPECT_EQ(typed("Shift+A"), U"AAA");
    EXPECT_EQ(typed("Shift+3"), U"#§#");
    EXPECT_EQ(typed("Shift+0"), U")=)");
    EXPECT_EQ(typed("A"), U"aaa");
}

TEST(KeyboardLayout, CombinationsThatNeverTypeTakeNothing) {
    // Ctrl and Ctrl+Shift give control characters, which no program receives as text.
    for (std::string_view hotkey : {"Ctrl+A", "Ctrl+Shift+A", "Ctrl+Shift+2", "Ctrl+Shift+6", "Ctrl+Shift+Z"})
        EXPECT_EQ(typed(hotkey), U"") << hotkey;
    // Win never types, whatever else is held; nor do keys without characters.
    for (std::string_view hotkey : {"Win+A", "Ctrl+Alt+Win+A", "Shift+Win+1", "Ctrl+Alt+F12", "Shift+PrintScreen",
                                    "Ctrl+Alt+Insert"})
        EXPECT_EQ(typed(hotkey), U"") << hotkey;

    // Alt without Ctrl selects menus; the system reports the plain character for it, but
    // nothing is typed, so such an answer is never consulted.
    KeyboardLayout echoing = us_layout();
    echoing.keys.push_back({'A', Hotkey::kAlt, U'a'});
    echoing.keys.push_back({'A', Hotkey::kAlt | Hotkey::kShift, U'A'});
    const std::vector<KeyboardLayout> layouts = {echoing};
    EXPECT_EQ(typed("Alt+A", layouts), U"");
    EXPECT_EQ(typed("Alt+Shift+A", layouts), U"");
}

TEST(KeyboardLayout, TheCharacterTakenNamesTheFirstLayoutOrTheShiftedKey) {
    EXPECT_EQ(character_taken(key("Ctrl+Alt+E"), kAllThree), U'€');
    EXPECT_EQ(character_taken(key("Ctrl+Alt+A"), kAllThree), U'ą');
    EXPECT_EQ(character_taken(key("Ctrl+Shift+A"), kAllThree), std::nullopt);
    // Without a layout that answers, Shift and a letter or digit still types something.
    EXPECT_EQ(character_taken(key("Shift+K"), {}), U'K');
    EXPECT_EQ(character_taken(key("Shift+4"), {}), U'4');
    EXPECT_EQ(character_taken(key("Ctrl+Alt+A"), {}), std::nullopt);
}

TEST(KeyboardLayout, PrintableAndItsText) {
    EXPECT_TRUE(is_printable(U' '));
    EXPECT_TRUE(is_printable(U'ą'));
    EXPECT_TRUE(is_printable(U'\U0001F600'));
    for (char32_t c : {char32_t(0), char32_t(0x1B), char32_t(0x7F), char32_t(0x85), char32_t(0xD800), char32_t(0x110000)})
        EXPECT_FALSE(is_printable(c)) << uint32_t(c);
    EXPECT_EQ(character_text(U'@'), "@");
    EXPECT_EQ(character_text(U'ą'), "\xC4\x85");
    EXPECT_EQ(character_text(U'€'), "\xE2\x82\xAC");
    EXPECT_EQ(character_text(U'\U0001F600'), "\xF0\x9F\x98\x80");
    EXPECT_EQ(character_text(0x1B), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace kestrix
