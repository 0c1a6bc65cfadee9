#pragma once
// The region overlay: a borderless topmost window over the whole virtual desktop
// that shows the frozen desktop, lets the user pick a region and mark it up, and
// returns what the user finished with. Runs its own message loop on the main thread.
#include <windows.h>

#include <chrono>
#include <functional>
#include <optional>
#include <vector>

#include "kestrix/config.h"
#include "kestrix/frame.h"
#include "kestrix/overlay_outcome.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix::win {

// With a selection it opens in the editing phase with that rectangle selected.
Result<OverlayOutcome, PlatformError> open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                  const Config& config, bool save_as,
                                                  std::optional<Rect> selection = std::nullopt);

// One finished paint of the overlay, for the probes and benchmarks that watch it.
struct OverlayPaint {
    HWND window = nullptr;
    Rect dirty;  // client coordinates
    std::chrono::steady_clock::time_point begun;
    std::chrono::steady_clock::time_point ended;
};
using OverlayPaintObserver = std::function<void(const OverlayPaint&)>;

// Called after every paint of the overlay on this thread; an empty function stops it.
void set_overlay_paint_observer(OverlayPaintObserver observer);

}  // namespace kestrix::win
