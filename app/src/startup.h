#pragma once
// Running the tray application: one copy per user, the configuration and the
// language, then the host until the user quits.
#include <optional>
#include <string>

#include "kestrix/capture_modes.h"

#include "app_environment.h"

namespace kestrix {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUnknownOption = 2;

// The after-update wait: claims tried at this interval, this many times (about 20 s).
inline constexpr std::chrono::milliseconds kAfterUpdateRetryInterval{200};
inline constexpr int kAfterUpdateRetries = 100;

// How the tray application was started: by the user (or a program), by the update
// that installed this version, or by the Run key at login.
enum class StartKind { Normal, AfterUpdate, AtLogin };

// Start-up through the end of the host; returns the exit code. With `capture` the
// tray program starts that capture once it is up, or asks the copy already running to.
int run_tray_application(AppEnvironment& env, StartKind kind = StartKind::Normal,
                         std::optional<CaptureRequest> capture = std::nullopt);

// The one message listing ignored configuration lines, in the current language.
std::string config_warnings_message(const LoadedConfig& loaded);

}  // namespace kestrix
