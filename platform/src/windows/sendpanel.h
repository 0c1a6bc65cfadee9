#pragma once
// The send panel: serves one capture to a device on the local network and shows
// the link as a QR code and as text, with a live status, until the user closes it.
#include <cstdint>
#include <span>
#include <string_view>

#include "kestrix/platform_error.h"
#include "kestrix/result.h"

namespace kestrix::win {

// Runs the panel modally and returns when it has closed, which ends the delivery.
// Not being on a network is not an error: the panel says so instead.
Result<void, PlatformError> send_to_device(std::span<const uint8_t> png, std::string_view file_name);

}  // namespace kestrix::win
