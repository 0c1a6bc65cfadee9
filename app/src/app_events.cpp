#include "app_events.h"

#include "answers.h"
#include "capture_session.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
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
}

}  // namespace

bool handle_app_event(AppEvent event, AppState& state, AppEnvironment& env) {
    switch (event) {
        case AppEvent::CaptureRegion:
            capture_session(env.platform, state.config, false);
            return false;
        case AppEvent::CaptureAndSaveAs:
            capture_session(env.platform, state.config, true);
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

void handle_nested_hotkey(AppState& state, AppEnvironment& env) {
    // Runs to its end before the dialog that was open continues.
    capture_session(env.platform, state.config, false);
}

}  // namespace kestrix
