#pragma once
// The top-level windows a click may snap to, topmost first, with the rectangles they
// visibly occupy. Taken once per capture, before the overlay window exists.
#include <vector>

#include "kestrix/rect.h"

namespace kestrix::win {

// The class of the region overlay: a leftover one of this process is never offered.
inline constexpr wchar_t kOverlayClass[] = L"SnapRegionOverlay";

// Which windows are offered is the core's snap_rect; this reads what it needs.
std::vector<Rect> list_windows();

}  // namespace kestrix::win
