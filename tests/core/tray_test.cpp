#include "kestrix/tray.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

std::vector<std::string> labels(const std::vector<TrayMenuItem>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) out.push_back(item.label);
    return out;
}

std::vector<uint32_t> ids(const std::vector<TrayMenuItem>& items) {
    std::vector<uint32_t> out;
    for (const auto& item : items) out.push_back(item.id);
    return out;
}

TEST(TrayMenu, EnglishUsesItsOwnMenuLabels) {
    const auto items = tray_menu_items(catalogue_for(kEnglish), {}, "0.9.22");
    ASSERT_EQ(items.size(), 10u);
    EXPECT_EQ(labels(items),
              (std::vector<std::string>{"Capture region", "Capture last region", "Capture screen", "Capture after a delay",
                                        "Capture and save as…", "", "Settings", "Check for updates…",
                                        "About Kestrix 0.9.22", "Exit Kestrix"}));
    EXPECT_EQ(ids(items), (std::vector<uint32_t>{0x1001, 0x1007, 0x1008, 0, 0x1002, 0, 0x1005, 0x1006, 0x1003, 0x1004}));
    for (const auto& item : items) EXPECT_EQ(item.separator(), item.label.empty()) << item.label;
}

TEST(TrayMenu, LanguageWithoutTheMenuSetUsesTheGeneralLabels) {
    Catalogue general = catalogue_for(kEnglish);
    for (size_t i = 0; i < kMessageCount; ++i)
        if (is_english_only(Message(i))) general.texts[i] = std::string_view{};
    const auto items = tray_menu_items(general, {}, "0.9.22");
    EXPECT_EQ(labels(items),
              (std::vector<std::string>{"Capture Region", "Capture last region", "Capture screen", "Capture after a delay",
                                        "Capture and Save As…", "", "Settings…", "Check for Updates…",
                                        "About Kestrix 0.9.22", "Quit Kestrix"}));
}

TEST(TrayMenu, AvailableUpdateNamesTheVersionInBothSets) {
    TrayMenuState state;
    state.available_update = "1.2.3";
    const auto items = tray_menu_items(catalogue_for(kEnglish), state, "0.9.22");
    EXPECT_EQ(items[7].id, 0x1006u);
    EXPECT_EQ(items[7].label, "Kestrix 1.2.3 is available.");
    Catalogue general = catalogue_for(kEnglish);
    general.texts[size_t(Message::menu_settings_windows)] = std::string_view{};
    EXPECT_EQ(tray_menu_items(general, state)[7].label, "Kestrix 1.2.3 is available.");
}

TEST(TrayMenu, LastRegionIsOfferedOnlyOnceACaptureHasFinished) {
    TrayMenuState state;
    EXPECT_FALSE(tray_menu_items(catalogue_for(kEnglish), state)[1].enabled);
    state.last_region_available = true;
    const auto items = tray_menu_items(catalogue_for(kEnglish), state);
    EXPECT_TRUE(items[1].enabled);
    for (const auto& item : items) EXPECT_TRUE(item.enabled) << item.label;
}

TEST(TrayMenu, TheDelaySubmenuGivesWayToItsCancelWhileACountdownRuns) {
    TrayMenuState state;
    const TrayMenuItem delays = tray_menu_items(catalogue_for(kEnglish), state)[3];
    EXPECT_FALSE(delays.separator());
    EXPECT_EQ(labels(delays.submenu), (std::vector<std::string>{"3 seconds", "5 seconds", "10 seconds"}));
    EXPECT_EQ(ids(delays.submenu), (std::vector<uint32_t>{0x1009, 0x100A, 0x100B}));

    state.countdown_running = true;
    const auto items = tray_menu_items(catalogue_for(3), state);  // Japanese
    EXPECT_EQ(items[3].id, 0x100Cu);
    EXPECT_EQ(items[3].label, "遅延撮影をキャンセル");
    EXPECT_TRUE(items[3].submenu.empty());
    EXPECT_EQ(items.size(), 10u);
}

TEST(TrayMenu, CommandsMapToTheirEvents) {
    EXPECT_EQ(event_for_menu_command(0x1001), 0);
    EXPECT_EQ(event_for_menu_command(0x1002), 1);
    EXPECT_EQ(event_for_menu_command(0x1003), 2);
    EXPECT_EQ(event_for_menu_command(0x1004), 6);
    EXPECT_EQ(event_for_menu_command(0x1005), 3);
    EXPECT_EQ(event_for_menu_command(0x1006), 4);
    EXPECT_EQ(event_for_menu_command(0x1007), 7);   // last region
    EXPECT_EQ(event_for_menu_command(0x1008), 8);   // screen
    EXPECT_EQ(event_for_menu_command(0x1009), 10);  // after 3, 5 and 10 seconds
    EXPECT_EQ(event_for_menu_command(0x100A), 11);
    EXPECT_EQ(event_for_menu_command(0x100B), 12);
    EXPECT_FALSE(event_for_menu_command(0));  // the menu was dismissed
    EXPECT_FALSE(event_for_menu_command(0x1000));
    EXPECT_FALSE(event_for_menu_command(0x100C));  // the host cancels its countdown itself
    EXPECT_FALSE(event_for_menu_command(0x11001));
    EXPECT_EQ(event_for_menu_command(0x100D), 15);  // clear recent captures
    EXPECT_FALSE(event_for_menu_command(kMenuRecentFirst));  // the host reads those against its entries
}

std::shared_ptr<const Image> small_picture() {
    return std::make_shared<const Image>(*make_image(4, 3, std::vector<uint8_t>(4 * 3 * 4, 0x7F)));
}

std::vector<RecentMenuEntry> two_recent() {
    return {{21, "09:07:41   300 × 200", true, small_picture()}, {20, "09:05:03   640 × 480", false, nullptr}};
}

TEST(TrayMenu, RecentCapturesAreOfferedOnlyWhenKeptAndOpenOnlyWithSome) {
    TrayMenuState state;
    EXPECT_EQ(tray_menu_items(catalogue_for(kEnglish), state).size(), 10u);  // a count of 0: no such item

    state.recent.emplace();
    auto items = tray_menu_items(catalogue_for(kEnglish), state);
    ASSERT_EQ(items.size(), 11u);
    EXPECT_EQ(items[5].label, "Recent captures");  // after the captures, before the separator
    EXPECT_FALSE(items[5].enabled);
    EXPECT_FALSE(items[5].separator());
    EXPECT_TRUE(items[6].separator());
    for (size_t i = 0; i < items.size(); ++i) {
        if (i != 1 && i != 5) EXPECT_TRUE(items[i].enabled) << items[i].label;  // last region: none yet
    }

    state.recent = two_recent();
    items = tray_menu_items(catalogue_for(kEnglish), state);
    const TrayMenuItem& recent = items[5];
    EXPECT_TRUE(recent.enabled);
    EXPECT_EQ(labels(recent.submenu), (std::vector<std::string>{"09:07:41   300 × 200", "09:05:03   640 × 480", "",
                                                                 "Clear recent captures"}));
    EXPECT_EQ(recent.submenu[3].id, kMenuClearRecentCaptures);
    EXPECT_TRUE(recent.submenu[3].enabled);
    EXPECT_EQ(recent.submenu[0].picture, state.recent->front().thumbnail);
    EXPECT_EQ(recent.submenu[1].picture, nullptr);
}

TEST(TrayMenu, EachRecentCaptureOffersItsCommandsAndEditAgainOnlyWhenItCan) {
    TrayMenuState state;
    state.recent = two_recent();
    const auto items = tray_menu_items(catalogue_for(kEnglish), state);
    const TrayMenuItem& newest = items[5].submenu[0];
    const TrayMenuItem& older = items[5].submenu[1];
    EXPECT_EQ(labels(newest.submenu), (std::vector<std::string>{"Copy again", "Pin to screen", "Save as…", "Edit again"}));
    EXPECT_EQ(ids(newest.submenu), (std::vector<uint32_t>{0x1100, 0x1101, 0x1102, 0x1103}));
    EXPECT_EQ(labels(older.submenu), (std::vector<std::string>{"Copy again", "Pin to screen", "Save as…"}));
    EXPECT_EQ(ids(older.submenu), (std::vector<uint32_t>{0x1104, 0x1105, 0x1106}));

    // French: the same commands in its words.
    const auto french = tray_menu_items(catalogue_for(match_language_tag("fr")), state);
    EXPECT_EQ(french[5].label, "Captures récentes");
    EXPECT_EQ(labels(french[5].submenu[0].submenu),
              (std::vector<std::string>{"Copier à nouveau", "Épingler à l'écran", "Enregistrer sous…",
                                        "Modifier à nouveau"}));
}

TEST(TrayMenu, RecentCommandsAreReadAgainstTheEntriesTheMenuWasMadeFrom) {
    const std::vector<RecentMenuEntry> entries = two_recent();
    TrayMenuState state;
    state.recent = entries;
    // Every item of the submenu stands for its own capture and action.
    const auto items = tray_menu_items(catalogue_for(kEnglish), state);
    for (size_t slot = 0; slot < entries.size(); ++slot)
        for (size_t at = 0; at < items[5].submenu[slot].submenu.size(); ++at) {
            const auto command = recent_command_for_menu(items[5].submenu[slot].submenu[at].id, entries);
            ASSERT_TRUE(command) << slot << " " << at;
            EXPECT_EQ(*command, (RecentCommand{entries[slot].id, RecentAction(at)}));
        }
    EXPECT_FALSE(recent_command_for_menu(0x1107, entries));  // Edit again of one that cannot be
    EXPECT_FALSE(recent_command_for_menu(0x1108, entries));  // a third capture the menu did not have
    EXPECT_FALSE(recent_command_for_menu(0x1100, {}));
    EXPECT_FALSE(recent_command_for_menu(kMenuClearRecentCaptures, entries));
    EXPECT_FALSE(recent_command_for_menu(kMenuCaptureRegion, entries));
    EXPECT_FALSE(recent_command_for_menu(0, entries));
}

TEST(TrayMenu, RecentCaptureLabelIsItsTimeAndSize) {
    set_language(kEnglish);
    EXPECT_EQ(recent_capture_label(LocalTime{2026, 12, 9, 20, 15, 30}, 640, 480), "20:15:30   640 × 480");
    EXPECT_EQ(recent_capture_label(LocalTime{2026, 1, 2, 7, 5, 9}, 1, 12000), "07:05:09   1 × 12000");
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
