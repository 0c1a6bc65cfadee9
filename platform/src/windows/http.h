#pragma once
// The update feed's transfer: one GET on WinHTTP, synchronous on the calling thread,
// with the system's own proxy, redirect and certificate rules and the caller's
// time-outs.
#include <cstdint>
#include <string_view>
#include <vector>

#include "kestrix/platform_error.h"
#include "kestrix/result.h"
#include "kestrix/update_transfer.h"

namespace kestrix::win {

// Bodies larger than this are refused while they arrive.
inline constexpr size_t kMaxHttpBody = 0x4000000;  // 64 MiB

// The body of a 200 answer; any other status is an error carrying that status
// (kHttpStatusCall). A step that waits longer than its time-out fails with 12002.
Result<std::vector<uint8_t>, PlatformError> http_get(std::string_view url, const TransferTimeouts& timeouts);

}  // namespace kestrix::win
