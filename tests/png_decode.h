#pragma once
// Decodes PNG bytes with libpng, for checking what the encoder wrote.
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <optional>
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

struct PngChunk {
    std::string type;
    std::vector<uint8_t> data;
};

// The chunks in file order; empty when the signature, a length or a checksum is wrong.
inline std::vector<PngChunk> png_chunks(const std::vector<uint8_t>& bytes) {
    static const uint8_t signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (bytes.size() < 8 || std::memcmp(bytes.data(), signature, 8) != 0) return {};
    const auto u32 = [&](size_t at) {
        return uint32_t(bytes[at]) << 24 | uint32_t(bytes[at + 1]) << 16 | uint32_t(bytes[at + 2]) << 8 | bytes[at + 3];
    };
    std::vector<PngChunk> chunks;
    for (size_t at = 8; at < bytes.size();) {
        if (bytes.size() - at < 12) return {};
        const uint32_t length = u32(at);
        if (length > bytes.size() - at - 12) return {};
        const uint8_t* type = bytes.data() + at + 4;
        const auto crc = uint32_t(crc32(crc32(0L, Z_NULL, 0), type, uInt(length + 4)));
        if (crc != u32(at + 8 + length)) return {};
        chunks.push_back({std::string(reinterpret_cast<const char*>(type), 4),
                          std::vector<uint8_t>(type + 4, type + 4 + length)});
        at += 12 + size_t(length);
    }
    return chunks;
}

// The pHYs chunk's pixels per unit on each axis and its unit (1: metre).
struct PngDensity {
    uint32_t x = 0, y = 0;
    uint8_t unit = 0;
    bool operator==(const PngDensity&) const = default;
};

inline std::optional<PngDensity> png_density(const std::vector<uint8_t>& bytes) {
    for (const PngChunk& chunk : png_chunks(bytes)) {
        if (chunk.type != "pHYs" || chunk.data.size() != 9) continue;
        const auto u32 = [&](size_t at) {
            return uint32_t(chunk.data[at]) << 24 | uint32_t(chunk.data[at + 1]) << 16 |
                   uint32_t(chunk.data[at + 2]) << 8 | chunk.data[at + 3];
        };
        return PngDensity{u32(0), u32(4), chunk.data[8]};
    }
    return std::nullopt;
}

}  // namespace kestrix::test
