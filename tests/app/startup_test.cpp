#include "startup.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "core/keyboard_tables.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using namespace kestrix::testing;
using std::chrono::milliseconds;

namespace {

struct Startup : AppFixture {
    Startup() { set_language(kEnglish); }
    int start(StartKind kind = StartKind::Normal) { return run_tray_application(env, kind); }
};

const std::string kOldCopyRunning =
    "The new version is installed, but the previous copy is still running. Quit Kestrix and open it again to finish.";

}  // namespace

TEST(Startup, FirstCopyPreparesClaimsLoadsAndRunsTheHost) {
    Startup s;
    EXPECT_EQ(s.start(), 0);
    EXPECT_EQ(s.platform.calls, (std::vector<std::string>{"prepare", "claim_single_instance", "preferred_languages",
                                                          "keyboard_layouts", "set_recent_captures", "run", "run_host"}));
    EXPECT_TRUE(s.printed.empty());
    EXPECT_TRUE(s.sleeps.empty());
}

TEST(Startup, SecondCopySignalsTheFirstExactlyOnceAndExitsWithZero) {
    Startup s;
    s.platform.claim_default = false;
    EXPECT_EQ(s.start(), 0);
    EXPECT_EQ(s.platform.calls,
              (std::vector<std::string>{"prepare", "claim_single_instance", "signal_running_instance"}));
    EXPECT_TRUE(s.printed.empty());
    EXPECT_TRUE(s.platform.messages.empty());
}

TEST(Startup, PrepareOrClaimErrorsStopTheStartWithExitCodeOne) {
    {
        Startup s;
        s.platform.prepare_answer = fail(PlatformError::os("SetProcessDpiAwarenessContext", 5));
        EXPECT_EQ(s.start(), 1);
        EXPECT_EQ(s.printed,
                  std::vector<std::string>{"Kestrix cannot start: SetProcessDpiAwarenessContext failed (os error 5)"});
        EXPECT_EQ(s.platform.count("claim_single_instance"), 0u);
    }
    {
        Startup s;
        s.platform.claim_default = fail(PlatformError{PlatformError::Unsupported{"the single-instance lock"}});
        EXPECT_EQ(s.start(), 1);
        EXPECT_EQ(s.printed, std::vector<std::string>{
                                 "Kestrix cannot start: the single-instance lock is not supported by this build"});
        EXPECT_EQ(s.platform.count("run"), 0u);
        EXPECT_EQ(s.platform.count("signal_running_instance"), 0u);
    }
}

TEST(Startup, AfterUpdateStartsAsSoonAsALaterClaimSucceeds) {
    Startup s;
    s.platform.claim_answers = {false, false, false, true};
    EXPECT_EQ(s.start(StartKind::AfterUpdate), 0);
    EXPECT_EQ(s.platform.count("claim_single_instance"), 4u);
    EXPECT_EQ(s.sleeps, std::vector<milliseconds>(3, milliseconds(200)));
    // The parked copies are removed once more after the previous copy has let go.
    const std::vector<std::string> first_calls(s.platform.calls.begin(), s.platform.calls.begin() + 6);
    EXPECT_EQ(first_calls, (std::vector<std::string>{"prepare", "claim_single_instance", "claim_single_instance",
                                                     "claim_single_instance", "claim_single_instance", "prepare"}));
    EXPECT_EQ(s.platform.count("signal_running_instance"), 0u);
    EXPECT_EQ(s.platform.count("run"), 1u);
    EXPECT_TRUE(s.printed.empty());
}

TEST(Startup, AfterUpdateReportsAClaimErrorDuringTheWait) {
    Startup s;
    s.platform.claim_answers = {false, false, fail(PlatformError::os("CreateMutexW", 1450))};
    EXPECT_EQ(s.start(StartKind::AfterUpdate), 1);
    EXPECT_EQ(s.sleeps.size(), 2u);
    EXPECT_EQ(s.printed, std::vector<std::string>{"Kestrix cannot start: CreateMutexW failed (os error 1450)"});
    EXPECT_EQ(s.platform.count("run"), 0u);
}

TEST(Startup, AfterUpdateGivesUpAfterAHundredTriesWithTheCatalogueText) {
    Startup s;
    s.platform.claim_default = false;
    EXPECT_EQ(s.start(StartKind::AfterUpdate), 0);
    EXPECT_EQ(s.platform.count("claim_single_instance"), 101u);  // the first claim and 100 retries
    EXPECT_EQ(s.sleeps, std::vector<milliseconds>(100, milliseconds(200)));
    EXPECT_EQ(s.printed, std::vector<std::string>{kOldCopyRunning});
    EXPECT_EQ(s.platform.count("run"), 0u);
    EXPECT_EQ(s.platform.count("signal_running_instance"), 0u);
}

TEST(Startup, TwoConfigWarningsGiveExactlyOneMessage) {
    Startup s;
    s.write(s.beside_program(), "# settings\ntheme = \"dark\"\nhotkey = \"Ctrl+Alt+A\"\noverlay_dim_percent = 250\n");
    EXPECT_EQ(s.start(), 0);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_EQ(s.platform.messages[0].first, "Kestrix");
    EXPECT_EQ(s.platform.messages[0].second,
              "Some settings in your config file were ignored:\n"
              "\n"
              "  line 2: unknown key `theme`\n"
              "  line 4: overlay_dim_percent: expected 0-100, got `250`\n"
              "\n"
              "Config file: " +
                  utf8_from_path(s.beside_program()));
    // The message comes before the host starts.
    EXPECT_EQ(s.platform.calls.back(), "run_host");
    EXPECT_EQ(s.platform.calls[s.platform.calls.size() - 5], "show_message");
}

TEST(Startup, NoWarningsNoMessage) {
    Startup s;
    s.write(s.per_user(), "hotkey = \"Ctrl+Shift+S\"\n");
    EXPECT_EQ(s.start(), 0);
    EXPECT_TRUE(s.platform.messages.empty());
}

TEST(Startup, WarningsMessageIsInTheChosenLanguage) {
    Startup s;
    s.write(s.beside_program(), "language = \"de\"\ncolour = 1\n");
    EXPECT_EQ(s.start(), 0);
    ASSERT_EQ(s.platform.messages.size(), 1u);
    const Catalogue& german = catalogue_for(match_language_tag("de"));
    const std::string expected = std::string(german[Message::config_warnings_heading]) +
                                 "\n\n  line 2: unknown key `colour`\n\n" +
                                 format_message(german[Message::about_config_file], utf8_from_path(s.beside_program()));
    EXPECT_EQ(s.platform.messages[0].second, expected);
}

TEST(Startup, AutomaticLanguageFollowsTheSystemAndFallsBackToEnglish) {
    {
        Startup s;
        s.platform.languages = {"xx-YY", "fr-CA", "de-DE"};
        EXPECT_EQ(s.start(), 0);
        EXPECT_EQ(current_language(), match_language_tag("fr"));
    }
    {
        Startup s;
        s.platform.languages = {"xx-YY"};
        EXPECT_EQ(s.start(), 0);
        EXPECT_EQ(current_language(), kEnglish);
    }
    set_language(kEnglish);
}

TEST(Startup, ConfiguredLanguageWinsWithoutAskingTheSystem) {
    Startup s;
    s.platform.languages = {"fr-FR"};
    s.write(s.beside_program(), "language = \"ja\"\n");
    EXPECT_EQ(s.start(), 0);
    EXPECT_EQ(current_language(), match_language_tag("ja"));
    EXPECT_EQ(s.platform.count("preferred_languages"), 0u);
    set_language(kEnglish);
}

TEST(Startup, HostGetsTheConfiguredHotkeyAndIconSwitch) {
    Startup s;
    s.write(s.beside_program(), "hotkey = \"Shift+F9\"\nshow_tray_icon = false\n");
    EXPECT_EQ(s.start(), 0);
    ASSERT_EQ(s.platform.host_settings.size(), 1u);
    EXPECT_EQ(s.platform.host_settings[0],
              (HostSettings{*parse_hotkey("Shift+F9"), false, "Kestrix is running. Press Shift+F9 to capture."}));
}

TEST(Startup, ADefaultThatTypesOnAnInstalledLayoutGivesWayAndTheNoticeSaysSo) {
    Startup s;
    s.platform.layouts = {test::us_layout(), test::polish_layout()};
    s.platform.events_to_raise = {AppEvent::ShowAbout, AppEvent::OpenSettings};
    EXPECT_EQ(s.start(), 0);
    ASSERT_EQ(s.platform.host_settings.size(), 1u);
    const HostSettings& host = s.platform.host_settings[0];
    EXPECT_EQ(host.hotkey.text(), "Ctrl+Shift+A");
    EXPECT_EQ(host.start_notice, "Kestrix is running. Press Ctrl+Shift+A to capture \u2014 Ctrl+Alt+A types a character "
                                 "on one of your keyboards.");
    // About and Settings show the hotkey in force; nothing is written to a file.
    ASSERT_EQ(s.platform.abouts.size(), 1u);
    EXPECT_NE(s.platform.abouts[0].first.find("Capture hotkey: Ctrl+Shift+A"), std::string::npos);
    ASSERT_EQ(s.platform.settings_opened_with.size(), 1u);
    EXPECT_EQ(s.platform.settings_opened_with[0].hotkey.text(), "Ctrl+Shift+A");
    EXPECT_FALSE(std::filesystem::exists(s.beside_program()));
    EXPECT_FALSE(std::filesystem::exists(s.per_user()));
    EXPECT_TRUE(s.platform.messages.empty());
}

TEST(Startup, AHotkeyWrittenInTheFileIsRegisteredAsWrittenAndItsCharacterNamed) {
    Startup s;
    s.platform.layouts = {test::us_layout(), test::polish_layout()};
    s.write(s.beside_program(), "hotkey = \"Ctrl+Alt+A\"\n");
    EXPECT_EQ(s.start(), 0);
    const HostSettings& host = s.platform.host_settings.at(0);
    EXPECT_EQ(host.hotkey, Hotkey{});
    EXPECT_EQ(host.start_notice, "Kestrix is running. Its capture shortcut types \u201C\u0105\u201D on one of your "
                                 "keyboards, so that character cannot be typed while Kestrix runs.");
    // A line the file cannot use leaves the default in charge, which gives way again.
    Startup bad;
    bad.platform.layouts = {test::polish_layout()};
    bad.write(bad.beside_program(), "hotkey = \"Ctrl+Alt+Esc\"\n");
    EXPECT_EQ(bad.start(), 0);
    EXPECT_EQ(bad.platform.host_settings.at(0).hotkey.text(), "Ctrl+Shift+A");
}

TEST(Startup, AStartAtLoginOrAfterAnUpdateSaysNothing) {
    Startup login;
    EXPECT_EQ(login.start(StartKind::AtLogin), 0);
    EXPECT_EQ(login.platform.host_settings.at(0).start_notice, std::nullopt);
    // Also when a fallback is in force: the user heard of it when Kestrix was started by hand.
    Startup polish_login;
    polish_login.platform.layouts = {test::polish_layout()};
    EXPECT_EQ(polish_login.start(StartKind::AtLogin), 0);
    EXPECT_EQ(polish_login.platform.host_settings.at(0).hotkey.text(), "Ctrl+Shift+A");
    EXPECT_EQ(polish_login.platform.host_settings.at(0).start_notice, std::nullopt);

    // The new version takes the icon's place once the user chose to install it.
    Startup updated;
    EXPECT_EQ(updated.start(StartKind::AfterUpdate), 0);
    EXPECT_EQ(updated.platform.host_settings.at(0).start_notice, std::nullopt);
    Startup by_hand;
    EXPECT_EQ(by_hand.start(), 0);
    EXPECT_EQ(by_hand.platform.host_settings.at(0).start_notice, "Kestrix is running. Press Ctrl+Alt+A to capture.");
}

TEST(Startup, HostErrorIsPrintedAndExitsWithOne) {
    Startup s;
    s.platform.run_answer = fail(PlatformError::os("CreateWindowExW(host)", 5));
    EXPECT_EQ(s.start(), 1);
    EXPECT_EQ(s.printed, std::vector<std::string>{"Kestrix stopped: CreateWindowExW(host) failed (os error 5)"});
}

TEST(Startup, TheHostsEventsReachTheApplicationUntilQuit) {
    Startup s;
    s.platform.events_to_raise = {AppEvent::CaptureRegion, AppEvent::ShowAbout, AppEvent::Quit, AppEvent::ShowAbout};
    s.platform.press_nested_hotkey = true;
    EXPECT_EQ(s.start(), 0);
    EXPECT_EQ(s.platform.event_answers, (std::vector<bool>{false, false, true}));
    EXPECT_EQ(s.platform.abouts.size(), 1u);
    // One capture for the nested hotkey, one for the capture command.
    EXPECT_EQ(s.platform.count("open_overlay"), 2u);
}
