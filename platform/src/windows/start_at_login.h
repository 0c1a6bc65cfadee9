#pragma once
// Start at login: a string value of the program's in the user's Run key. Whether the
// system's own startup settings disabled it is read from StartupApproved, which this
// program never writes.
#include "kestrix/settings.h"

namespace kestrix::win {

// What the registry says now.
LoginState read_login_state();

// Writes the Run value (the running executable's path in double quotes) or deletes
// it, then reads the state back. Unavailable when the path or the key cannot be had.
LoginState set_start_at_login(bool on);

}  // namespace kestrix::win
