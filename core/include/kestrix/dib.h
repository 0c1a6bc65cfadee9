#pragma once
// The packed 24-bit device-independent bitmap that goes on the clipboard beside
// the PNG: a 40-byte BITMAPINFOHEADER, then the rows bottom-up, three bytes a
// pixel (blue, green, red) padded with zeros to a multiple of four.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/result.h"

namespace kestrix {

inline constexpr size_t DIB_HEADER_SIZE = 40;

// Bytes of one DIB row: three a pixel, rounded up to a multiple of four.
inline uint64_t dib_stride(uint32_t width) { return (uint64_t(width) * 3 + 3) & ~uint64_t(3); }

// Header plus rows, or TooLarge when the header cannot describe the picture
// (width or height above the signed 32-bit range, or rows above 4 GiB).
Result<size_t, ImageError> packed_dib_size(uint32_t width, uint32_t height);

// Writes the whole packed DIB of `image` (its resolution from the image's dpi) to `out`, which must hold
// packed_dib_size(image.width(), image.height()) bytes.
void write_packed_dib(const Image& image, uint8_t* out);

// The packed DIB in a byte vector of its own.
Result<std::vector<uint8_t>, ImageError> packed_dib(const Image& image);

}  // namespace kestrix
