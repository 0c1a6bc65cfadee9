#pragma once
// One capture, from the frozen desktop to the pinned, copied, sent or saved picture and
// its confirmation. Control returns when everything the user asked for is done.
#include <optional>

#include "kestrix/capture_modes.h"
#include "kestrix/config.h"
#include "kestrix/platform.h"

namespace kestrix {

// What a session starts from besides the configuration.
struct SessionStart {
    CaptureRequest request;           // the mode and the delay
    bool save_as = false;             // "Capture and save as…"
    std::optional<Rect> last_region;  // the previous finished capture's selection
};

// Waits the delay, freezes the desktop, runs the overlay (opening with the mode's
// selection) and carries out what the user finished it with. A failing step ends the
// session with exactly one error message and no confirmation. Answers the selection
// when the capture was finished: copied, saved, pinned or sent.
std::optional<Rect> capture_session(Platform& platform, const Config& config, const SessionStart& start);

// A region capture; `save_as` is true for "Capture and save as…".
inline void capture_session(Platform& platform, const Config& config, bool save_as) {
    (void)capture_session(platform, config, SessionStart{{}, save_as, std::nullopt});
}

}  // namespace kestrix
