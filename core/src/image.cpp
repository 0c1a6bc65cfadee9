#include "kestrix/image.h"

#include <algorithm>
#include <cstring>

namespace kestrix {

std::string ImageError::text() const {
    switch (kind) {
    case Kind::ZeroSized: return "image has zero width or height";
    case Kind::BadLength:
        return "buffer length " + std::to_string(got) + " does not match expected " + std::to_string(expected);
    case Kind::TooLarge: return "image dimensions are too large";
    case Kind::Encode: return "png encoding failed: " + encoder_message;
    case Kind::Decode: return "png decoding failed: " + encoder_message;
    }
    return {};
}

Result<Image, ImageError> make_image(uint32_t width, uint32_t height, std::vector<uint8_t> pixels) {
    if (width == 0 || height == 0) return fail(ImageError{ImageError::Kind::ZeroSized});
    const uint64_t count = uint64_t(width) * height;
    if (count > 0x3FFFFFFFFFFFFFFFull) return fail(ImageError{ImageError::Kind::TooLarge});
    if (pixels.size() != count * 4) {
        ImageError e{ImageError::Kind::BadLength};
        e.expected = count * 4;
        e.got = pixels.size();
        return fail(std::move(e));
    }
    return Image(width, height, std::move(pixels));
}

std::optional<uint32_t> Image::pixel_at(uint32_t x, uint32_t y) const {
    if (x >= width_ || y >= height_) return std::nullopt;
    const uint8_t* p = pixels_.data() + (size_t(y) * width_ + x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint32_t pixels_per_metre(uint32_t dpi) { return uint32_t((uint64_t(dpi) * 10000 + 127) / 254); }

namespace {

// memset called through a pointer the compiler cannot see through: the wipe of
// screen pixels is not optimised away before their release, and runs at memset's
// speed rather than one volatile byte at a time (a 4K picture, 33 MB, in a few
// milliseconds instead of tens).
void* (*volatile zero_bytes)(void*, int, size_t) = std::memset;

}  // namespace

void Image::wipe() {
    if (!pixels_.empty()) zero_bytes(pixels_.data(), 0, pixels_.size());
}

}  // namespace kestrix
