#include "kestrix/hotkey.h"

#include <gtest/gtest.h>

#include <set>

using namespace kestrix;

namespace {

Hotkey hotkey(Hotkey::Key key, uint32_t modifiers) { return Hotkey{key, modifiers}; }

HotkeyError parse_error(std::string_view text) {
    auto parsed = parse_hotkey(text);
    EXPECT_FALSE(parsed.ok()) << text << " parsed as " << (parsed ? parsed->text() : "");
    return parsed ? HotkeyError{} : parsed.error();
}

}  // namespace

TEST(Hotkey, DefaultIsCtrlAltA) {
    EXPECT_EQ(Hotkey{}.text(), "Ctrl+Alt+A");
    EXPECT_EQ(Hotkey{}, hotkey(Hotkey::Char{U'A'}, Hotkey::kCtrl | Hotkey::kAlt));
}

TEST(Hotkey, ModifierBitsAreTheWindowsFlags) {
    EXPECT_EQ(Hotkey::kAlt, 1u);
    EXPECT_EQ(Hotkey::kCtrl, 2u);
    EXPECT_EQ(Hotkey::kShift, 4u);
    EXPECT_EQ(Hotkey::kWin, 8u);
}

TEST(ParseHotkey, AcceptsAnyOrderCaseSpacingAndMacNames) {
    const Hotkey ctrl_alt_a{};
    for (std::string_view text : {"ctrl+alt+a", "Control + Option + A", "A+Alt+Ctrl", "  CTRL+ALT+A  ", "Ctrl++Alt+A+",
                                  "Ctrl+Ctrl+Alt+A", "ctrl+\xC2\xA0" "alt+a"})
        EXPECT_EQ(parse_hotkey(text).value(), ctrl_alt_a) << text;

    EXPECT_EQ(parse_hotkey("Cmd+Shift+4")->text(), "Shift+Win+4");
    EXPECT_EQ(parse_hotkey("super+q")->text(), "Win+Q");
    EXPECT_EQ(parse_hotkey("Meta+Command+Q")->text(), "Win+Q");
    EXPECT_EQ(parse_hotkey("Ctrl+Ctrl+A")->text(), "Ctrl+A");
    EXPECT_EQ(parse_hotkey("7")->modifiers, 0u);
}

TEST(ParseHotkey, NamedKeys) {
    EXPECT_EQ(parse_hotkey("PrtSc").value(), hotkey(Hotkey::PrintScreen{}, 0));
    EXPECT_EQ(parse_hotkey("Ctrl+snapshot").value(), hotkey(Hotkey::PrintScreen{}, Hotkey::kCtrl));
    EXPECT_EQ(parse_hotkey("PRTSCN").value(), hotkey(Hotkey::PrintScreen{}, 0));
    EXPECT_EQ(parse_hotkey("printscreen").value(), hotkey(Hotkey::PrintScreen{}, 0));
    EXPECT_EQ(parse_hotkey("Shift+Ins").value(), hotkey(Hotkey::Insert{}, Hotkey::kShift));
    EXPECT_EQ(parse_hotkey("INSERT").value(), hotkey(Hotkey::Insert{}, 0));
}

TEST(ParseHotkey, FunctionKeyBoundsAndLeadingZeros) {
    EXPECT_EQ(parse_hotkey("F1").value(), hotkey(Hotkey::Function{1}, 0));
    EXPECT_EQ(parse_hotkey("F24").value(), hotkey(Hotkey::Function{24}, 0));
    EXPECT_EQ(parse_hotkey("f07").value(), hotkey(Hotkey::Function{7}, 0));
    EXPECT_EQ(parse_hotkey("F0000000012").value(), hotkey(Hotkey::Function{12}, 0));
    // "F" alone, and "F" next to a modifier, is the letter.
    EXPECT_EQ(parse_hotkey("F").value(), hotkey(Hotkey::Char{U'F'}, 0));
    EXPECT_EQ(parse_hotkey("ctrl+f").value(), hotkey(Hotkey::Char{U'F'}, Hotkey::kCtrl));
    for (std::string_view text : {"F25", "F0", "F256", "F00", "f99999999999999999999"})
        EXPECT_EQ(parse_error(text), (HotkeyError{HotkeyError::Kind::UnknownToken, std::string(text)})) << text;
    // A non-digit after "f" is not a function key and not a single character either.
    EXPECT_EQ(parse_error("F1x").token, "F1x");
}

TEST(ParseHotkey, EveryRefusalWithItsText) {
    EXPECT_EQ(parse_error("").text(), "hotkey is empty");
    EXPECT_EQ(parse_error(" \t ").text(), "hotkey is empty");
    EXPECT_EQ(parse_error("Ctrl+Alt").text(), "hotkey has no non-modifier key");
    EXPECT_EQ(parse_error("+").text(), "hotkey has no non-modifier key");
    EXPECT_EQ(parse_error("Ctrl+A+B").text(), "hotkey has more than one key");
    EXPECT_EQ(parse_error("F1+PrtSc").text(), "hotkey has more than one key");
    EXPECT_EQ(parse_error("Ctrl+Esc").text(), "unknown hotkey token `Esc`");
    EXPECT_EQ(parse_error("Ctrl+ Esc ").text(), "unknown hotkey token `Esc`");
    EXPECT_EQ(parse_error("Ctrl+\xC3\xA4").text(), "unknown hotkey token `\xC3\xA4`");
    EXPECT_EQ(parse_error("Ctrl+AB").text(), "unknown hotkey token `AB`");
    EXPECT_EQ(parse_error("Hyper+A").text(), "unknown hotkey token `Hyper`");
}

TEST(ParseHotkey, StopsAtTheFirstFailure) {
    EXPECT_EQ(parse_error("Esc+A+B").kind, HotkeyError::Kind::UnknownToken);
    EXPECT_EQ(parse_error("A+B+Esc").kind, HotkeyError::Kind::MoreThanOneKey);
    EXPECT_EQ(parse_error("Ctrl+Tab+Esc").token, "Tab");
}

TEST(HotkeyText, ModifiersInFixedOrderThenTheKey) {
    EXPECT_EQ(hotkey(Hotkey::Function{12}, Hotkey::kShift).text(), "Shift+F12");
    EXPECT_EQ(hotkey(Hotkey::PrintScreen{}, 0).text(), "PrintScreen");
    EXPECT_EQ(hotkey(Hotkey::Char{U'5'}, Hotkey::kWin | Hotkey::kCtrl).text(), "Ctrl+Win+5");
    EXPECT_EQ(hotkey(Hotkey::Insert{}, 15).text(), "Ctrl+Alt+Shift+Win+Insert");
}

TEST(HotkeyText, ParsingTheDisplayFormGivesTheSameHotkey) {
    std::vector<Hotkey::Key> keys = {Hotkey::PrintScreen{}, Hotkey::Insert{}};
    for (char32_t c = U'A'; c <= U'Z'; ++c) keys.push_back(Hotkey::Char{c});
    for (char32_t c = U'0'; c <= U'9'; ++c) keys.push_back(Hotkey::Char{c});
    for (uint8_t n = 1; n <= 24; ++n) keys.push_back(Hotkey::Function{n});
    std::set<std::string> texts;
    for (const auto& key : keys)
        for (uint32_t modifiers = 0; modifiers < 16; ++modifiers) {
            const Hotkey original{key, modifiers};
            auto parsed = parse_hotkey(original.text());
            ASSERT_TRUE(parsed.ok()) << original.text();
            EXPECT_EQ(*parsed, original) << original.text();
            texts.insert(original.text());
        }
    EXPECT_EQ(texts.size(), keys.size() * 16);  // no two hotkeys share a display form
}

TEST(VirtualKey, CodesOfEveryKind) {
    EXPECT_EQ(virtual_key(Hotkey::Char{U'A'}), 0x41u);
    EXPECT_EQ(virtual_key(Hotkey::Char{U'Z'}), 0x5Au);
    EXPECT_EQ(virtual_key(Hotkey::Char{U'0'}), 0x30u);
    EXPECT_EQ(virtual_key(Hotkey::Char{U'9'}), 0x39u);
    EXPECT_EQ(virtual_key(Hotkey::Function{1}), 0x70u);
    EXPECT_EQ(virtual_key(Hotkey::Function{24}), 0x87u);
    EXPECT_EQ(virtual_key(Hotkey::PrintScreen{}), 0x2Cu);
    EXPECT_EQ(virtual_key(Hotkey::Insert{}), 0x2Du);
}

namespace {

KeyStateSource held(std::set<uint32_t> keys) {
    return [keys](uint32_t vk) { return keys.count(vk) > 0; };
}

}  // namespace

TEST(KeyPress, ModifierKeysAloneAndUnrecordableKeysGiveNothing) {
    const auto all_held = held({0x10, 0x11, 0x12, 0x5B, 0x5C});
    for (uint32_t vk : {0x10u, 0x11u, 0x12u, 0x5Bu, 0x5Cu}) EXPECT_FALSE(hotkey_from_key_press(vk, all_held)) << vk;
    // F21 to F24, Escape, Space, the numeric keypad's 0 and a lower-case letter's code.
    for (uint32_t vk : {0x84u, 0x85u, 0x86u, 0x87u, 0x1Bu, 0x20u, 0x60u, 0x61u, 0u})
        EXPECT_FALSE(hotkey_from_key_press(vk, held({0x11}))) << vk;
}

TEST(KeyPress, RecordableKeysRoundTripThroughTheirCode) {
    std::vector<Hotkey::Key> keys = {Hotkey::PrintScreen{}, Hotkey::Insert{}};
    for (char32_t c = U'A'; c <= U'Z'; ++c) keys.push_back(Hotkey::Char{c});
    for (char32_t c = U'0'; c <= U'9'; ++c) keys.push_back(Hotkey::Char{c});
    for (uint8_t n = 1; n <= 20; ++n) keys.push_back(Hotkey::Function{n});
    for (const auto& key : keys) {
        auto recorded = hotkey_from_key_press(virtual_key(key), held({}));
        ASSERT_TRUE(recorded) << Hotkey{key, 0}.text();
        EXPECT_EQ(*recorded, (Hotkey{key, 0}));
    }
}

TEST(KeyPress, ModifiersComeFromTheLiveKeyState) {
    EXPECT_EQ(hotkey_from_key_press('S', held({0x11, 0x10}))->text(), "Ctrl+Shift+S");
    EXPECT_EQ(hotkey_from_key_press(0x7B, held({0x12}))->text(), "Alt+F12");
    EXPECT_EQ(hotkey_from_key_press('4', held({0x5C}))->text(), "Win+4");  // the right Win key
    EXPECT_EQ(hotkey_from_key_press('4', held({0x5B, 0x5C}))->text(), "Win+4");
    EXPECT_EQ(hotkey_from_key_press(0x2C, held({}))->text(), "PrintScreen");
    // Keys that are not modifiers do not add any.
    EXPECT_EQ(hotkey_from_key_press('Q', held({'A', 0x1B, 0xA0}))->modifiers, 0u);
}
