#pragma once
// The window in front: what a capture reads of it at the moment it freezes the
// desktop (where the pointer is, what can be known of the window that has the
// keyboard), and how the overlay, just shown, takes its place with the keyboard,
// also when another program has a menu open or the system keeps the foreground
// from it (the steps are the core's next_foreground_step).
#include <windows.h>

#include <optional>

#include "kestrix/capture_modes.h"
#include "kestrix/selection.h"

namespace kestrix::win {

DesktopPoint pointer_position();

// None when no window has the keyboard.
std::optional<ForegroundWindow> foreground_window();

// `earlier` is the window that was in front when the capture was asked for (its
// thread may be in menu mode even when it no longer is in front).
void take_foreground(HWND overlay, HWND earlier);

}  // namespace kestrix::win
