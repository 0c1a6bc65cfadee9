#pragma once
// The Settings window: every setting of the file, applied at once, plus start at login.
#include <optional>

#include "kestrix/config.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Shows the window for this configuration and returns once it has closed: the new
// configuration, or nothing when no setting differs. By then the status icon has been
// shown or hidden and the hotkey registered as the result says.
Result<std::optional<Config>, PlatformError> open_settings(const Config& config);

// True while the window is open.
bool settings_window_open();

// Brings the open window to the front; false when none is open.
bool bring_settings_forward();

}  // namespace kestrix::win
