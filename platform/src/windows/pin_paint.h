#pragma once
// Drawing of one pin window: the picture, its frame and, while hovered, the close button.
#include <windows.h>

#include "kestrix/image.h"
#include "kestrix/pin.h"

namespace kestrix::win {

void paint_pin(HDC dc, const RECT& client, const PinState& pin, const Image& image);

}  // namespace kestrix::win
