#pragma once
// The start every capture shares: the wait of a delayed one, then the monitors and the
// frozen desktop, with the selection the capture's mode opens with.
#include <optional>
#include <vector>

#include "kestrix/capture_modes.h"
#include "kestrix/frame.h"
#include "kestrix/platform.h"

namespace kestrix {

struct FrozenDesktop {
    std::vector<Monitor> monitors;
    Frame frame;
    std::optional<Rect> selection;  // none: the user drags out a region
};

// What the frozen desktop is for. The overlay's window, fonts and window list are made
// while the screen still shows what is captured, so that its first frame follows the
// capture at once, while the hotkey's right to the foreground is fresh; a picture
// written straight to a file needs none of that.
enum class AfterFreeze { Overlay, Picture };

// Counts the request's delay down (none: the countdown was cancelled), reads the pointer
// and the active window as the mode needs them, and freezes the desktop. `region` is
// the last finished capture's selection for the last-region mode.
Result<std::optional<FrozenDesktop>, PlatformError> freeze_desktop(Platform& platform, const CaptureRequest& request,
                                                                   const std::optional<Rect>& region, AfterFreeze after);

}  // namespace kestrix
