#pragma once
// Which top-level windows a click in the overlay may snap to: the ones a user would
// call a window. The shell's desktop covers every monitor and click-through overlays
// cover whole screens; offered for snapping, a click on the bare desktop would select
// all of it instead of the monitor under the pointer.
#include <cstdint>
#include <optional>
#include <string>

#include "kestrix/rect.h"

namespace kestrix {

// Windows smaller than this on either side are not offered.
inline constexpr int32_t kMinimumSnapSide = 40;

// A window's edges as the system reports them (right and bottom exclusive).
struct WindowEdges {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};

// What the platform read of one top-level window.
struct SnapCandidate {
    bool visible = true;
    bool minimised = false;
    bool tool_window = false;      // WS_EX_TOOLWINDOW
    bool own_process = false;
    bool cloaked = false;          // hidden by the compositor, e.g. on another virtual desktop
    bool shell_window = false;     // the shell's desktop window (GetShellWindow)
    std::string class_name;        // "SnapRegionOverlay", "Progman", "WorkerW", ...
    bool click_through = false;    // WS_EX_TRANSPARENT
    std::optional<uint8_t> layered_alpha;  // the constant alpha of a layered window, when it has one
    std::optional<WindowEdges> bounds;  // the visible frame in desktop units; absent when it could not be read
    std::optional<Rect> monitor;   // the monitor the window is on
};

// The rectangle offered for the window, or nothing when it is not offered.
std::optional<Rect> snap_rect(const SnapCandidate& window);

}  // namespace kestrix
