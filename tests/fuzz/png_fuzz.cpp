// encodePng over random sizes, deflate settings and contents: whenever it reports
// success, libpng reads the bytes back as an 8-bit RGB image of the same size and
// the same pixels, with only the critical chunks and the pHYs chunk of the image's
// DPI; with settings zlib accepts it always succeeds.
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/image.h"
#include "png_decode.h"

using namespace kestrix;

namespace {

// The chunk types in file order (png_chunks checks each chunk's CRC); empty when
// the layout is broken.
std::vector<std::string> chunk_types(const std::vector<uint8_t>& png) {
    std::vector<std::string> types;
    for (const test::PngChunk& chunk : test::png_chunks(png)) types.push_back(chunk.type);
    return types;
}

std::vector<uint8_t> pixels_for(fuzz::Reader& reader, uint32_t w, uint32_t h) {
    std::vector<uint8_t> px(size_t(w) * h * 4);
    const uint8_t pattern = reader.byte() % 4;
    uint32_t seed = reader.u32() | 1;
    const std::string_view tail = reader.rest();
    for (size_t i = 0; i < px.size(); ++i) {
        switch (pattern) {
            case 0:  // the input's own bytes, repeated
                px[i] = tail.empty() ? 0 : uint8_t(tail[i % tail.size()]);
                break;
            case 1:  // noise
                seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
                px[i] = uint8_t(seed);
                break;
            case 2:  // flat with rare changes, like an interface screenshot
                if ((i & 3) == 0 && (seed = seed * 1103515245u + 12345u) >> 27 == 0) seed ^= 0x9E3779B9u;
                px[i] = uint8_t(seed >> (8 * (i & 3)));
                break;
            default:  // gradients
                px[i] = uint8_t((i / 4 % w) * (i & 3) + (i / 4 / w) * seed);
                break;
        }
    }
    return px;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    // Mostly small images, quick to fuzz; one in four up to 256 x 1024 (at most 2^17
    // pixels), tall enough for several strips.
    const bool large = reader.byte() % 4 == 0;
    const uint32_t w = reader.in_range(1, large ? 256 : 48);
    const uint32_t h = std::min(reader.in_range(1, large ? 1024 : 160), std::max(1u, (1u << 17) / w));

    static constexpr int kFilters[] = {-1, 0x08, 0x10, 0x20, 0x40, 0x80, 0xF8, 0x28, 0x30};
    PngSettings settings;
    settings.level = int(reader.in_range(0, 12)) - 1;     // -1 .. 11: 10 and 11 are not zlib levels
    settings.filters = kFilters[reader.in_range(0, 8)];
    settings.strategy = int(reader.in_range(0, 6)) - 1;   // -1 .. 5: 5 is not a zlib strategy
    settings.strips = reader.in_range(0, 9);
    const bool zlib_accepts = settings.level <= 9 && settings.strategy <= 4;

    const uint32_t dpi = reader.in_range(0, 600);  // 0 reads as 96
    auto image = make_image(w, h, pixels_for(reader, w, h));
    FUZZ_CHECK(image.ok(), "make_image");
    image->set_dpi(dpi);
    const auto where = [&] {
        return std::to_string(w) + "x" + std::to_string(h) + " level " + std::to_string(settings.level) + " filters " +
               std::to_string(settings.filters) + " strategy " + std::to_string(settings.strategy) + " strips " +
               std::to_string(settings.strips) + " dpi " + std::to_string(dpi);
    };

    const auto png = encodePng(*image, settings);
    if (!png) {
        FUZZ_CHECK(!zlib_accepts, where() + ": " + png.error().text());
        FUZZ_CHECK(png.error().kind == ImageError::Kind::Encode && !png.error().encoder_message.empty(), where());
        return 0;
    }

    const std::vector<std::string> types = chunk_types(*png);
    FUZZ_CHECK(types.size() >= 4 && types[0] == "IHDR" && types[1] == "pHYs" && types.back() == "IEND", where());
    for (size_t i = 2; i + 1 < types.size(); ++i) FUZZ_CHECK(types[i] == "IDAT", where() + " chunk " + types[i]);
    const uint32_t per_metre = pixels_per_metre(dpi == 0 ? 96 : dpi);
    FUZZ_CHECK(test::png_density(*png) == (test::PngDensity{per_metre, per_metre, 1}), where());

    const test::DecodedPng decoded = test::decode_png(*png);
    FUZZ_CHECK(decoded.ok, where() + ": " + decoded.error);
    FUZZ_CHECK(decoded.width == w && decoded.height == h, where());
    FUZZ_CHECK(decoded.color_type == 2 && decoded.bit_depth == 8, where());
    const std::vector<uint8_t>& px = image->pixels();
    for (size_t i = 0, n = size_t(w) * h; i < n; ++i) {
        FUZZ_CHECK(decoded.rgb[i * 3 + 0] == px[i * 4 + 2] && decoded.rgb[i * 3 + 1] == px[i * 4 + 1] &&
                       decoded.rgb[i * 3 + 2] == px[i * 4 + 0],
                   where() + " pixel " + std::to_string(i % w) + "," + std::to_string(i / w));
    }
    return 0;
}
