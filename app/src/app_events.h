#pragma once
// What the application does with each event the tray host hands it.
#include <optional>

#include "app_environment.h"
#include "kestrix/config.h"
#include "kestrix/platform.h"
#include "kestrix/recent.h"

namespace kestrix {

// Shared by the event callbacks for the life of the host.
struct AppState {
    Config config;                  // replaced when the Settings window saves
    bool update_installed = false;  // set once a new version has been installed and started
    std::optional<Rect> last_region;  // the selection of the last finished capture
    RecentCaptures recent{kRecentCapturesDefaultCount};  // this process's copies, for the tray menu
};

// Acts on one event; answers true when the application must quit now.
bool handle_app_event(AppEvent event, AppState& state, AppEnvironment& env);

// A hotkey pressed (or a capture asked for) while an earlier event's dialog is open.
void handle_nested_hotkey(AppState& state, AppEnvironment& env, const CaptureRequest& request = {});

}  // namespace kestrix
