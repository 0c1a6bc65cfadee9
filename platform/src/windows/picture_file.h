#pragma once
// The bytes of a picture file in the format its name asks for.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// JPEG for a .jpg or .jpeg name, PNG otherwise.
Result<std::vector<uint8_t>, PlatformError> picture_file_bytes(const std::filesystem::path& path, const Image& image);

}  // namespace kestrix::win
