#pragma once
// "--capture MODE --output FILE": a capture for scripts and launchers, with no overlay
// and no tray. The picture goes to the file as PNG and its path to standard output.
#include "app_environment.h"
#include "command_line.h"

namespace kestrix {

// Returns the exit code: 0 with the path printed, 1 with one line saying what failed.
int capture_to_file(AppEnvironment& env, const CaptureCommand& command);

}  // namespace kestrix
