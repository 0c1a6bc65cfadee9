#pragma once
// The wait before a delayed capture, shown as a small pill beside the pointer.
#include <cstdint>

#include "kestrix/countdown.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Returns once the wait has ended: the time is up, the capture hotkey hurried it, or it
// was cancelled (Esc while it has the keyboard, the tray menu's cancel item, the program
// quitting). The pill is off the screen by then. With `take_keyboard` it takes the
// keyboard, so that Esc reaches it.
Result<CountdownEnd, PlatformError> count_down(uint32_t seconds, bool take_keyboard);

}  // namespace kestrix::win
