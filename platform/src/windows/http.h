#pragma once
// The update feed's transfer: one GET on WinHTTP, synchronous on the calling thread,
// with the system's own proxy, time-out, redirect and certificate rules.
#include <cstdint>
#include <string_view>
#include <vector>

#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Bodies larger than this are refused while they arrive.
inline constexpr size_t kMaxHttpBody = 0x4000000;  // 64 MiB

// The body of a 200 answer; any other status is an error carrying that status.
Result<std::vector<uint8_t>, PlatformError> http_get(std::string_view url);

}  // namespace kestrix::win
