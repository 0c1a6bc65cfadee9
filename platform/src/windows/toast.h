#pragma once
// The short confirmation that appears near a finished capture and fades by itself.
#include <optional>
#include <string_view>

#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix::win {

Result<void, PlatformError> show_toast(std::string_view text, std::optional<Rect> near);

// Destroys the toast if one is showing: a new toast, the overlay opening and the
// host's tear-down call this.
void close_toast();

}  // namespace kestrix::win
