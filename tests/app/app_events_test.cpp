#include "app_events.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "kestrix/i18n.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

struct Events : AppFixture {
    AppState state;
    Events() { set_language(kEnglish); }
    bool handle(AppEvent event) { return handle_app_event(event, state, env); }
};

Config changed_config() {
    Config config;
    config.hotkey = *parse_hotkey("Ctrl+Shift+F5");
    config.overlay_dim_percent = 60;
    return config;
}

}  // namespace

TEST(AppEvents, QuitAnswersTrueAndTouchesNothing) {
    Events e;
    EXPECT_TRUE(e.handle(AppEvent::Quit));
    EXPECT_TRUE(e.platform.calls.empty());
}

TEST(AppEvents, CaptureCommandsAndTheNestedHotkeyRunASessionWithTheCurrentSettings) {
    Events e;
    e.state.config = changed_config();
    EXPECT_FALSE(e.handle(AppEvent::CaptureRegion));
    EXPECT_FALSE(e.handle(AppEvent::CaptureAndSaveAs));
    handle_nested_hotkey(e.state, e.env);
    ASSERT_EQ(e.platform.overlays.size(), 3u);
    EXPECT_FALSE(e.platform.overlays[0].save_as);
    EXPECT_TRUE(e.platform.overlays[1].save_as);
    EXPECT_FALSE(e.platform.overlays[2].save_as);
    for (const auto& overlay : e.platform.overlays) EXPECT_EQ(overlay.config, changed_config());
    EXPECT_EQ(e.platform.count("enumerate_monitors"), 3u);
    EXPECT_FALSE(std::filesystem::exists(e.beside_program()));
}

TEST(AppEvents, AboutShowsNameVersionTaglineAndTheCurrentHotkey) {
    Events e;
    e.state.config.hotkey = *parse_hotkey("Shift+F12");
    EXPECT_FALSE(e.handle(AppEvent::ShowAbout));
    ASSERT_EQ(e.platform.abouts.size(), 1u);
    EXPECT_EQ(e.platform.abouts[0].first,
              "Kestrix " KESTRIX_VERSION "\nOne shortcut. Capture, mark up, copy, continue.\n\nCapture hotkey: Shift+F12");
    EXPECT_EQ(e.platform.abouts[0].second.rfind("https://", 0), 0u);
}

TEST(AppEvents, SettingsWithNothingToSaveChangeNothing) {
    Events e;
    EXPECT_FALSE(e.handle(AppEvent::OpenSettings));
    EXPECT_EQ(e.platform.settings_opened_with, std::vector<Config>{Config{}});
    EXPECT_EQ(e.state.config, Config{});
    EXPECT_FALSE(std::filesystem::exists(e.beside_program()));
    EXPECT_FALSE(std::filesystem::exists(e.per_user()));
}

TEST(AppEvents, SettingsErrorIsShownOnce) {
    Events e;
    e.platform.settings_answer = fail(PlatformError::os("CreateWindowExW(settings)", 8));
    EXPECT_FALSE(e.handle(AppEvent::OpenSettings));
    ASSERT_EQ(e.platform.errors.size(), 1u);
    EXPECT_EQ(e.platform.errors[0].plain(), "CreateWindowExW(settings) failed (os error 8)");
    EXPECT_EQ(e.state.config, Config{});
}

TEST(AppEvents, NewSettingsAreSavedAndBecomeCurrent) {
    Events e;
    e.platform.settings_answer = std::optional<Config>{changed_config()};
    EXPECT_FALSE(e.handle(AppEvent::OpenSettings));
    EXPECT_EQ(e.state.config, changed_config());
    // No file existed, so the per-user one is written.
    EXPECT_EQ(load_config(e.env.config_dirs).values, changed_config());
    EXPECT_TRUE(std::filesystem::exists(e.per_user()));
    EXPECT_TRUE(e.platform.messages.empty());
    // The next Settings window starts from the new values.
    e.platform.settings_answer = std::optional<Config>{};
    e.handle(AppEvent::OpenSettings);
    EXPECT_EQ(e.platform.settings_opened_with.back(), changed_config());
}

TEST(AppEvents, UnsavableSettingsAreReportedAndStillApplied) {
    Events e;
    // A directory where the per-user file should go makes the write fail.
    std::filesystem::create_directories(e.per_user());
    e.platform.settings_answer = std::optional<Config>{changed_config()};
    EXPECT_FALSE(e.handle(AppEvent::OpenSettings));
    ASSERT_EQ(e.platform.messages.size(), 1u);
    EXPECT_EQ(e.platform.messages[0].first, "Kestrix");
    EXPECT_EQ(e.platform.messages[0].second.rfind("Kestrix could not save your settings: ", 0), 0u);
    EXPECT_GT(e.platform.messages[0].second.size(), std::string("Kestrix could not save your settings: ").size());
    EXPECT_EQ(e.state.config, changed_config());
}

TEST(AppEvents, UpdateEventsQuitAtOnceOnceAnUpdateIsInstalled) {
    Events e;
    e.state.update_installed = true;
    EXPECT_TRUE(e.handle(AppEvent::CheckForUpdates));
    EXPECT_TRUE(e.handle(AppEvent::ScheduledUpdateCheck));
    EXPECT_TRUE(e.platform.calls.empty());
}

TEST(AppEvents, ACodeOutsideTheTableIsIgnored) {
    Events e;
    EXPECT_FALSE(e.handle(AppEvent(kAppEventCount)));
    EXPECT_TRUE(e.platform.calls.empty());
}
