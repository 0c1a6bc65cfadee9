#pragma once
// The tray's Recent captures: what the menu shows of the kept captures, and what each
// of its commands does.
#include <vector>

#include "app_environment.h"
#include "app_events.h"
#include "kestrix/recent.h"
#include "kestrix/tray.h"

namespace kestrix {

// Newest first: each capture's time and size, its thumbnail, and whether it can be
// edited again.
std::vector<RecentMenuEntry> recent_menu_entries(const RecentCaptures& captures);

// Applies the configured count to the kept captures and tells the tray menu what it
// offers now; with a count of 0 it offers no Recent captures at all.
void offer_recent_captures(AppState& state, Platform& platform);

// Copy again, Pin, Save as… or Edit again on a kept capture. A capture that is no
// longer kept (pushed out since the menu opened) is left alone.
void use_recent_capture(AppState& state, AppEnvironment& env, const RecentCommand& command);

// Every kept capture goes, its pictures wiped.
void clear_recent_captures(AppState& state, Platform& platform);

}  // namespace kestrix
