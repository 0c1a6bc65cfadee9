#pragma once
#include <vector>

#include "kestrix/frame.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

Result<std::vector<Monitor>, PlatformError> enumerate_monitors();
Result<Frame, PlatformError> capture_desktop(const std::vector<Monitor>& monitors);

}  // namespace kestrix::win
