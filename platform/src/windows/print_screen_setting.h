#pragma once
// Whether Windows keeps PrintScreen for its own screen capture on this machine.

namespace kestrix::win {

// True when the user's PrintScreen key opens Windows' own screen capture: the setting
// under Settings › Accessibility › Keyboard is on, or has never been changed on
// Windows 11, where it starts on.
bool print_screen_claimed_by_windows();

}  // namespace kestrix::win
