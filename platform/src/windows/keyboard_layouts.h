#pragma once
// The user's installed keyboard layouts, read through the system's own translation of
// key presses, for the rule that a hotkey must type nothing.
#include <vector>

#include "kestrix/keyboard_layout.h"

namespace kestrix::win {

// Every layout of GetKeyboardLayoutList, in its order, with what each letter and digit
// key gives under each modifier set that can type.
std::vector<KeyboardLayout> installed_keyboard_layouts();

}  // namespace kestrix::win
