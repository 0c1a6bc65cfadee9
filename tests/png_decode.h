#pragma once
// Decodes PNG bytes with libpng, for checking what the encoder wrote.
#include <png.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace kestrix::test {

struct DecodedPng {
    bool ok = false;
    std::string error;
    uint32_t width = 0, height = 0;
    int color_type = -1, bit_depth = 0;
    std::vector<uint8_t> rgb;  // 3 bytes a pixel when colour type is RGB
};

inline DecodedPng decode_png(const std::vector<uint8_t>& bytes) {
    DecodedPng out;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, bytes.data(), bytes.size())) {
        out.error = image.message;
        return out;
    }
    // Read the header fields separately; the simplified API hides colour type and depth.
    if (bytes.size() > 26) {
        out.bit_depth = bytes[24];
        out.color_type = bytes[25];
    }
    image.format = PNG_FORMAT_RGB;
    out.width = image.width;
    out.height = image.height;
    out.rgb.resize(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, out.rgb.data(), 0, nullptr)) {
        out.error = image.message;
        return out;
    }
    out.ok = true;
    return out;
}

}  // namespace kestrix::test
