#pragma once
// The two update checks of the tray: the one the user asks for from the menu, which
// can go on to download, verify and install the new version, and the silent one
// the timer runs, which only marks the menu when a newer version is offered.
#include "app_environment.h"
#include "app_events.h"

namespace kestrix {

// Answers true when a new version was installed and started, so this copy must quit.
bool check_for_updates(AppState& state, AppEnvironment& env);

// Nothing is shown and nothing is downloaded, whatever happens.
void scheduled_update_check(const AppState& state, AppEnvironment& env);

}  // namespace kestrix
