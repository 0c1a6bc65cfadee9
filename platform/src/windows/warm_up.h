#pragma once
// Drawing warmed once per process, so that the first overlay opens as fast as
// later ones (see warm_up.cpp).

namespace kestrix::win {

// Draws the overlay's text and shapes once onto a small memory bitmap. Needs a
// started GDI+ session (without one only the GDI part is warmed). Call it on
// the thread that opens the overlay, once, when nothing is waiting.
void warm_up_drawing();

}  // namespace kestrix::win
