#pragma once
// A text as a ready-to-draw QR code: black modules on white, 8 pixels a module at
// 100 % (module_pixels at other scales), with the standard quiet zone of 4 modules
// all round.
#include <cstdint>
#include <optional>
#include <string_view>

#include "kestrix/image.h"

namespace kestrix {

inline constexpr uint32_t kQrModulePixels = 8;
inline constexpr uint32_t kQrQuietModules = 4;

// QR Code Model 2 at error-correction level M, in the smallest version that holds
// the text. Nothing when the encoder refuses it (too long for version 40, say).
// The image is module_pixels x (modules + 8) pixels square; nothing for 0.
std::optional<Image> qr_image(std::string_view text, uint32_t module_pixels = kQrModulePixels);

}  // namespace kestrix
