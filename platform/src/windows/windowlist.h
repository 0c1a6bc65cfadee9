#pragma once
// The top-level windows a click may snap to, topmost first, with the rectangles they
// visibly occupy. Taken once per capture, before the overlay window exists.
#include <windows.h>

#include <optional>
#include <vector>

#include "kestrix/rect.h"

namespace kestrix::win {

// The class of the region overlay: a leftover one of this process is never offered.
inline constexpr wchar_t kOverlayClass[] = L"SnapRegionOverlay";

// Which windows are offered is the core's snap_rect; this reads what it needs.
std::vector<Rect> list_windows();

// Hidden by the compositor, for example on another virtual desktop. A failed query counts as not cloaked.
bool is_cloaked(HWND window);
// The frame without the invisible resize borders and shadow, when the compositor answers.
std::optional<RECT> compositor_frame(HWND window);

}  // namespace kestrix::win
