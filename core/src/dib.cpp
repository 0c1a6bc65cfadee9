#include "kestrix/dib.h"

#include <cstring>
#include <limits>
#include <new>

namespace kestrix {

namespace {

void put16(uint8_t* at, uint16_t v) {
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void put32(uint8_t* at, uint32_t v) {
    for (int i = 0; i < 4; ++i) at[i] = uint8_t(v >> (8 * i));
}

}  // namespace

Result<size_t, ImageError> packed_dib_size(uint32_t width, uint32_t height) {
    constexpr uint32_t max_side = uint32_t(std::numeric_limits<int32_t>::max());
    const uint64_t rows = dib_stride(width) * height;
    // biWidth and biHeight are signed, biSizeImage is 32 bits wide.
    if (width > max_side || height > max_side || rows > std::numeric_limits<uint32_t>::max() ||
        rows > std::numeric_limits<size_t>::max() - DIB_HEADER_SIZE)
        return fail(ImageError{ImageError::Kind::TooLarge});
    return size_t(DIB_HEADER_SIZE + rows);
}

void write_packed_dib(const Image& image, uint8_t* out) {
    const uint32_t w = image.width(), h = image.height();
    const size_t stride = size_t(dib_stride(w));

    put32(out + 0, uint32_t(DIB_HEADER_SIZE));
    put32(out + 4, w);
    put32(out + 8, h);  // positive: bottom-up rows
    put16(out + 12, 1);
    put16(out + 14, 24);
    put32(out + 16, 0);  // BI_RGB
    put32(out + 20, uint32_t(stride * h));
    const uint32_t density = pixels_per_metre(image.dpi());
    put32(out + 24, density);
    put32(out + 28, density);
    put32(out + 32, 0);
    put32(out + 36, 0);

    const size_t pad = stride - size_t(w) * 3;
    const uint8_t* pixels = image.pixels().data();
    uint8_t* row_out = out + DIB_HEADER_SIZE;
    for (uint32_t y = h; y-- > 0; row_out += stride) {
        const uint8_t* src = pixels + size_t(y) * w * 4;
        uint8_t* dst = row_out;
        // Four bytes stored, three kept: the next pixel overwrites the alpha byte.
        for (uint32_t x = 0; x + 1 < w; ++x, src += 4, dst += 3) std::memcpy(dst, src, 4);
        std::memcpy(dst, src, 3);
        std::memset(dst + 3, 0, pad);
    }
}

Result<std::vector<uint8_t>, ImageError> packed_dib(const Image& image) {
    auto size = packed_dib_size(image.width(), image.height());
    if (!size) return fail(size.error());
    std::vector<uint8_t> out;
    try {
        out.resize(*size);
    } catch (const std::bad_alloc&) {
        return fail(ImageError{ImageError::Kind::TooLarge});  // too large for the memory there is
    }
    write_packed_dib(image, out.data());
    return out;
}

}  // namespace kestrix
