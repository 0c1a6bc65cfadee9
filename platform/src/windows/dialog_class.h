#pragma once

#include <windows.h>

#include "kestrix/result.h"
#include "kestrix/platform_error.h"

namespace kestrix::win {

// Registers a dialog-like window class of this module (arrow cursor, the dialog
// face as background). Registering it again for a later window is not a failure.
Result<void, PlatformError> register_dialog_class(const wchar_t* name, WNDPROC procedure, const char* call);

}  // namespace kestrix::win
