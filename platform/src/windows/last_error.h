#pragma once

#include <windows.h>

#include "kestrix/platform_error.h"

namespace kestrix::win {

// The failed call's name with the calling thread's last error code.
inline PlatformError last_error(const char* call) { return PlatformError::os(call, int32_t(GetLastError())); }

}  // namespace kestrix::win
