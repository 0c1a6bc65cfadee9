#include "app_events.h"

#include "answers.h"
#include "capture_session.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
#include "recent_captures.h"
#include "update_check.h"

namespace kestrix {

namespace {

void open_settings(AppState& state, AppEnvironment& env) {
    auto chosen = env.platform.open_settings(state.config);
    if (!chosen) {
        env.platform.show_error(chosen.error());
        return;
    }
    if (!chosen->has_value()) return;
    const Config& fresh = **chosen;
    if (auto saved = save_config(fresh, env.config_dirs); !saved)
        env.platform.show_message(kProductName, msg(Message::error_settings_not_saved, saved.error()));
    // The window has already applied the new hotkey and icon, so the new values are
    // the current ones whether or not they reached the file.
    state.config = fresh;
    offer_recent_captures(state, env.platform);
}

std::optional<uint32_t> newest_recent(const RecentCaptures& recent) {
    if (recent.empty()) return std::nullopt;
    return recent.ids().front();
}

// One capture; a finished one's selection is the region the last-region mode takes next.
void capture(AppState& state, AppEnvironment& env, const CaptureRequest& request, bool save_as = false) {
    state.recent.set_max_count(state.config.recent_captures);
    const std::optional<uint32_t> newest = newest_recent(state.recent);
    const std::optional<Rect> finished = capture_session(
        env.platform, state.config, SessionStart{request, save_as, state.last_region, KeepRecent{&state.recent, {}}});
    // A copy joined the recent captures: the menu shows it.
    if (newest_recent(state.recent) != newest) offer_recent_captures(state, env.platform);
    if (!finished) return;
    if (!state.last_region) env.platform.set_last_region_available(true);
    state.last_region = finished;
}

CaptureRequest delayed(uint32_t seconds) { return {CaptureMode::Region, seconds}; }

}  // namespace

bool handle_app_event(AppEvent event, AppState& state, AppEnvironment& env) {
    switch (event) {
        case AppEvent::CaptureRegion:
            capture(state, env, {});
            return false;
        case AppEvent::CaptureAndSaveAs:
            capture(state, env, {}, true);
            return false;
        case AppEvent::CaptureLastRegion:
            capture(state, env, {CaptureMode::LastRegion});
            return false;
        case AppEvent::CaptureScreen:
            capture(state, env, {CaptureMode::Screen});
            return false;
        case AppEvent::CaptureWindow:
            capture(state, env, {CaptureMode::Window});
            return false;
        case AppEvent::CaptureAfter3Seconds:
            capture(state, env, delayed(3));
            return false;
        case AppEvent::CaptureAfter5Seconds:
            capture(state, env, delayed(5));
            return false;
        case AppEvent::CaptureAfter10Seconds:
            capture(state, env, delayed(10));
            return false;
        case AppEvent::RequestedCapture:
            if (const std::optional<CaptureRequest> request = env.platform.take_capture_request())
                capture(state, env, *request);
            return false;
        case AppEvent::RecentCapture:
            if (const std::optional<RecentCommand> command = env.platform.take_recent_command())
                use_recent_capture(state, env, *command);
            return false;
        case AppEvent::ClearRecentCaptures:
            clear_recent_captures(state, env.platform);
            return false;
        case AppEvent::ShowAbout:
            env.platform.show_about(about_text(catalogue(), state.config.hotkey.text()), kProductWebsite);
            return false;
        case AppEvent::OpenSettings:
            open_settings(state, env);
            return false;
        case AppEvent::CheckForUpdates:
            // A new version already running elsewhere: this copy makes way for it.
            if (state.update_installed) return true;
            return check_for_updates(state, env);
        case AppEvent::ScheduledUpdateCheck:
            if (state.update_installed) return true;
            scheduled_update_check(state, env);
            return false;
        case AppEvent::Quit:
            return true;
    }
    return false;  // a code outside the table
}

void handle_nested_hotkey(AppState& state, AppEnvironment& env, const CaptureRequest& request) {
    // Runs to its end before the dialog that was open continues.
    capture(state, env, request);
}

}  // namespace kestrix
