#include "kestrix/tray.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

std::vector<std::string> labels(const std::vector<TrayMenuItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(item.label);
    return out;
}

TEST(TrayMenu, EnglishUsesItsOwnMenuLabels) {
    const auto items = tray_menu_items(catalogue_for(kEnglish), std::nullopt, "0.9.22");
    ASSERT_EQ(items.size(), 7u);
    EXPECT_EQ(labels(items), (std::vector<std::string>{"Capture region", "Capture and save as…", "", "Settings",
                                                       "Check for updates…", "About Kestrix 0.9.22", "Exit Kestrix"}));
    std::vector<uint32_t> ids;
    for (const auto& item : items) ids.push_back(item.id);
    EXPECT_EQ(ids, (std::vector<uint32_t>{0x1001, 0x1002, 0, 0x1005, 0x1006, 0x1003, 0x1004}));
}

TEST(TrayMenu, LanguageWithoutTheMenuSetUsesTheGeneralLabels) {
    Catalogue general = catalogue_for(kEnglish);
    for (size_t i = 0; i < kMessageCount; ++i)
        if (is_english_only(Message(i))) general.texts[i] = std::string_view{};
    const auto items = tray_menu_items(general, std::nullopt, "0.9.22");
    EXPECT_EQ(labels(items), (std::vector<std::string>{"Capture Region", "Capture and Save As…", "", "Settings…",
                                                       "Check for Updates…", "About Kestrix 0.9.22", "Quit Kestrix"}));
}

TEST(TrayMenu, AvailableUpdateNamesTheVersionInBothSets) {
    const auto items = tray_menu_items(catalogue_for(kEnglish), std::string("1.2.3"), "0.9.22");
    EXPECT_EQ(items[4].id, 0x1006u);
    EXPECT_EQ(items[4].label, "Kestrix 1.2.3 is available.");
    Catalogue general = catalogue_for(kEnglish);
    general.texts[size_t(Message::menu_settings_windows)] = std::string_view{};
    EXPECT_EQ(tray_menu_items(general, std::string("1.2.3"))[4].label, "Kestrix 1.2.3 is available.");
}

TEST(TrayMenu, CommandsMapToTheirEvents) {
    EXPECT_EQ(event_for_menu_command(0x1001), 0);
    EXPECT_EQ(event_for_menu_command(0x1002), 1);
    EXPECT_EQ(event_for_menu_command(0x1003), 2);
    EXPECT_EQ(event_for_menu_command(0x1004), 6);
    EXPECT_EQ(event_for_menu_command(0x1005), 3);
    EXPECT_EQ(event_for_menu_command(0x1006), 4);
    EXPECT_FALSE(event_for_menu_command(0));  // the menu was dismissed
    EXPECT_FALSE(event_for_menu_command(0x1000));
    EXPECT_FALSE(event_for_menu_command(0x1007));
    EXPECT_FALSE(event_for_menu_command(0x11001));
}

TEST(TrayTooltip, FilledWithTheHotkeyAndCutToTheTipField) {
    EXPECT_EQ(tray_tooltip(catalogue_for(kEnglish), "Ctrl+Alt+A"), u"Kestrix — Ctrl+Alt+A to capture");
    Catalogue long_tip = catalogue_for(kEnglish);
    const std::string text = std::string(126, 'x') + "\xF0\x9F\x93\xB7{}";  // a camera emoji across units 127-128
    long_tip.texts[size_t(Message::tray_tooltip)] = text;
    const std::u16string tip = tray_tooltip(long_tip, "Ctrl+Alt+A");
    EXPECT_EQ(tip, std::u16string(126, u'x'));
    const std::u16string roomy = tray_tooltip(long_tip, "", 200);
    EXPECT_EQ(roomy.size(), 128u);
    EXPECT_EQ(roomy[126], 0xD83D);
}

TEST(About, TextCarriesVersionTaglineAndHotkey) {
    EXPECT_EQ(about_text(catalogue_for(kEnglish), "Ctrl+Alt+A", "0.9.22"),
              "Kestrix 0.9.22\nOne shortcut. Capture, mark up, copy, continue.\n\nCapture hotkey: Ctrl+Alt+A");
}

}  // namespace
}  // namespace kestrix
