#pragma once
// Brings the overlay, just shown, to the front with the keyboard, also when
// another program has a menu open or the system keeps the foreground from it
// (the steps are the core's next_foreground_step).
#include <windows.h>

namespace kestrix::win {

// `earlier` is the window that was in front when the capture was asked for (its
// thread may be in menu mode even when it no longer is in front).
void take_foreground(HWND overlay, HWND earlier);

}  // namespace kestrix::win
