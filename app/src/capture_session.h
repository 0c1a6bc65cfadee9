#pragma once
// One capture, from the frozen desktop to the pinned, copied, sent or saved picture and
// its confirmation. Control returns when everything the user asked for is done.
#include "kestrix/config.h"
#include "kestrix/platform.h"

namespace kestrix {

// Freezes the desktop, runs the overlay and carries out what the user finished it with.
// A failing step ends the session with exactly one error message and no confirmation.
// `save_as` is true for "Capture and save as…".
void capture_session(Platform& platform, const Config& config, bool save_as);

}  // namespace kestrix
