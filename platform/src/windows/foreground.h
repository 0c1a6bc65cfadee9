#pragma once
// What a capture reads at the moment it freezes the desktop: where the pointer is
// and what can be known of the window that has the keyboard.
#include <optional>

#include "kestrix/capture_modes.h"
#include "kestrix/selection.h"

namespace kestrix::win {

DesktopPoint pointer_position();

// None when no window has the keyboard.
std::optional<ForegroundWindow> foreground_window();

}  // namespace kestrix::win
