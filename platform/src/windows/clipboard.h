#pragma once
// The clipboard: an image as a packed 24-bit DIB plus the registered "PNG" format,
// or Unicode text, owned by the host window. Opening retries for about a second while
// another program holds it.
#include <windows.h>

#include <cstdint>
#include <span>
#include <string_view>

#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// The image as a DIB beside `png`, its PNG encoding.
Result<void, PlatformError> copy_image(const Image& image, std::span<const uint8_t> png);
// The same owned by `owner`, for a process that has no host window.
Result<void, PlatformError> copy_image_owned_by(HWND owner, const Image& image, std::span<const uint8_t> png);
// The same, encoding the PNG first.
Result<void, PlatformError> copy_image(const Image& image);
Result<void, PlatformError> copy_text(std::string_view utf8);

}  // namespace kestrix::win
