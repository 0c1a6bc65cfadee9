#pragma once
// Self-update on disk: the running executable P is parked under a free ".old" name,
// the new bytes take its place, the installed version is recorded and the new
// copy is started with "--after-update". When anything fails after P was parked,
// P is put back, so a failed update always leaves a program that starts.
#include <cstdint>
#include <span>
#include <string_view>

#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Creates and at once deletes a file beside the running executable; the system's
// words for what refused it otherwise.
Result<void, PlatformError> check_install_folder();

Result<void, PlatformError> install_update(std::span<const uint8_t> executable, std::string_view version);

}  // namespace kestrix::win
