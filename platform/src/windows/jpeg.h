#pragma once
// JPEG files through the system's encoder (Windows Imaging Component).
#include <cstdint>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// The picture as a baseline JPEG at `quality` (1 to 100).
Result<std::vector<uint8_t>, PlatformError> encode_jpeg(const Image& image, uint8_t quality);

}  // namespace kestrix::win
