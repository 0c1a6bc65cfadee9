// The mosaic works out each stroke's covered pixels row by row with floating-point
// intervals; any stroke, anywhere, on any image must give exactly the pixels of
// the plain per-pixel rule, and must never touch memory outside the image.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/mosaic.h"
#include "mosaic_reference.h"

using namespace kestrix;

namespace {

// A coordinate: mostly near the image, sometimes on a pixel edge or centre, sometimes far away.
double coordinate(fuzz::Reader& reader, double size) {
    const uint8_t kind = reader.byte() % 8;
    const double fine = double(int32_t(reader.u32() % 4096) - 1024) / 16.0;  // -64 .. 192 in sixteenths
    switch (kind) {
        case 0: return std::floor(fine);
        case 1: return std::floor(fine) + 0.5;
        case 2: return -fine * 40;
        case 3: return size + fine;
        default: return fine * size / 128;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    const uint32_t w = reader.in_range(1, 48), h = reader.in_range(1, 48);
    static constexpr double kScales[] = {1.0, 1.25, 1.5, 2.0, 0.75, 0.5, 3.0, 1.0 / 3.0};
    const double scale = kScales[reader.in_range(0, 7)];
    const Origin origin{int32_t(reader.in_range(0, 80)) - 40, int32_t(reader.in_range(0, 80)) - 40};

    std::vector<Annotation> list;
    const uint32_t strokes = reader.in_range(1, 4);
    for (uint32_t k = 0; k < strokes; ++k) {
        MosaicMark mark;
        mark.brush_width = reader.in_range(0, 400) / 8.0;  // 0 .. 50, a zero brush still takes a pixel
        mark.block_size = reader.in_range(0, 160) / 4.0;   // 0 .. 40
        const uint32_t points = reader.in_range(0, 6);
        for (uint32_t i = 0; i < points; ++i)
            mark.points.push_back({origin.x + coordinate(reader, w / scale), origin.y + coordinate(reader, h / scale)});
        list.push_back(std::move(mark));
    }

    std::vector<uint8_t> px(size_t(w) * h * 4);
    uint32_t seed = reader.u32() | 1;
    for (size_t i = 0; i < px.size(); ++i) {
        seed ^= seed << 13, seed ^= seed >> 17, seed ^= seed << 5;
        px[i] = i % 4 == 3 ? 0 : uint8_t(seed);  // alpha 0: pixelated pixels get 255
    }
    Image image = make_image(w, h, std::move(px)).value();
    const Image expected = test::mosaic_reference(image, list, origin, scale);
    applyMosaic(image, list, origin, scale);
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x)
            FUZZ_CHECK(image.pixel_at(x, y) == expected.pixel_at(x, y),
                       std::to_string(w) + "x" + std::to_string(h) + " scale " + std::to_string(scale) + " pixel " +
                           std::to_string(x) + "," + std::to_string(y));
    return 0;
}
