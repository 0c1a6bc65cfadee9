#pragma once
// Start at login: a string value of the program's in the user's Run key. Whether the
// system's own startup settings disabled it is read from StartupApproved, which this
// program never writes.
#include <optional>
#include <string>

#include "kestrix/settings.h"

namespace kestrix::win {

// The Run value's data: the running executable's full path in double quotes and
// "--at-login", which tells a start at login from one by the user. Nothing when the
// path cannot be had.
std::optional<std::wstring> run_value_data();

// A Run value that earlier versions wrote for this executable (its path alone) is
// rewritten with "--at-login"; any other value is left as it is. It starts Kestrix
// either way.
void update_earlier_run_value();

// What the registry says now.
LoginState read_login_state();

// Writes the Run value (run_value_data) or deletes
// it, then reads the state back. Unavailable when the path or the key cannot be had.
LoginState set_start_at_login(bool on);

}  // namespace kestrix::win
