#pragma once
// Pinned captures: borderless, topmost, translucent tool windows that float a
// finished capture above everything else until the user closes them.
#include <cstddef>

#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Shows a copy of `image` stretched over `rect` (desktop units), pulled back onto
// the desktop if it lies off it, without taking the focus.
Result<void, PlatformError> pin_image(const Image& image, const Rect& rect);

// The pins of this thread that are still open.
size_t pin_count();

}  // namespace kestrix::win
