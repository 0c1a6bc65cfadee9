#pragma once
// Making pictures smaller by averaging: the thumbnails of kept captures, and a kept
// capture too large for its monitor shown to fit.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "kestrix/image.h"

namespace kestrix {

// Each destination pixel is the average of the source pixels its area covers (at least
// one). Both buffers hold blue, green, red, alpha bytes; strides in bytes.
void scale_pixels(const uint8_t* source, uint32_t width, uint32_t height, size_t source_stride, uint8_t* destination,
                  uint32_t to_width, uint32_t to_height, size_t destination_stride);

// The picture scaled down to fit within max_width x max_height, keeping its shape
// (never enlarged, at least 1 x 1); nothing without memory for it.
std::optional<Image> thumbnail(const Image& image, uint32_t max_width, uint32_t max_height);

}  // namespace kestrix
