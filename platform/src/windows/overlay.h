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
#include "kestrix/edit_again.h"
#include "kestrix/platform.h"
#include "kestrix/frame.h"
#include "kestrix/overlay_outcome.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Makes what an overlay on these monitors needs apart from the picture: its
// window (hidden), fonts, brushes, back buffer and the window list. The next
// open_overlay uses it; another preparation or discard_prepared_overlay releases it.
void prepare_overlay(const std::vector<Monitor>& monitors);
void discard_prepared_overlay();

// Uses what prepare_overlay made for these monitors, and makes it when there is none.
// With a selection it opens in the editing phase with that rectangle selected.
Result<OverlayOutcome, PlatformError> open_overlay(const Frame& frame, const std::vector<Monitor>& monitors,
                                                  const Config& config, bool save_as,
                                                  std::optional<Rect> selection = std::nullopt);

// Editing a kept capture again: the frame already shows its crop where the placement
// says; the overlay opens in the editing phase on that rectangle with the capture's
// marks, and the picture is made from the crop at its full size.
Result<OverlayOutcome, PlatformError> open_overlay_for_editing(const Frame& frame, const std::vector<Monitor>& monitors,
                                                              const Config& config, const EditAgainStart& start);

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
