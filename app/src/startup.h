#pragma once
// Running the tray application: one copy per user, the configuration and the
// language, then the host until the user quits.
#include <string>

#include "app_environment.h"

namespace kestrix {

inline constexpr int kExitSuccess = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUnknownOption = 2;

// The after-update wait: claims tried at this interval, this many times (about 20 s).
inline constexpr std::chrono::milliseconds kAfterUpdateRetryInterval{200};
inline constexpr int kAfterUpdateRetries = 100;

// Start-up through the end of the host; returns the exit code.
int run_tray_application(AppEnvironment& env, bool after_update);

// The one message listing ignored configuration lines, in the current language.
std::string config_warnings_message(const LoadedConfig& loaded);

}  // namespace kestrix
