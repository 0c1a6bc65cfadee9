#include "kestrix/image_scale.h"

#include <algorithm>
#include <new>
#include <vector>

namespace kestrix {

void scale_pixels(const uint8_t* source, uint32_t width, uint32_t height, size_t source_stride, uint8_t* destination,
                  uint32_t to_width, uint32_t to_height, size_t destination_stride) {
    if (width == 0 || height == 0 || to_width == 0 || to_height == 0) return;
    // The source columns each destination column averages, [first, last).
    std::vector<uint32_t> column_start(to_width + 1);
    for (uint32_t x = 0; x <= to_width; ++x) column_start[x] = uint32_t(uint64_t(x) * width / to_width);
    std::vector<uint64_t> sums(size_t(to_width) * 4);
    for (uint32_t y = 0; y < to_height; ++y) {
        const uint32_t top = uint32_t(uint64_t(y) * height / to_height);
        const uint32_t bottom = std::max(top + 1, uint32_t(uint64_t(y + 1) * height / to_height));
        std::fill(sums.begin(), sums.end(), 0);
        for (uint32_t row = top; row < bottom; ++row) {
            const uint8_t* line = source + size_t(row) * source_stride;
            for (uint32_t x = 0; x < to_width; ++x) {
                const uint32_t last = std::max(column_start[x] + 1, column_start[x + 1]);
                uint64_t* sum = &sums[size_t(x) * 4];
                for (uint32_t column = column_start[x]; column < last; ++column)
                    for (int c = 0; c < 4; ++c) sum[c] += line[size_t(column) * 4 + size_t(c)];
            }
        }
        uint8_t* out = destination + size_t(y) * destination_stride;
        for (uint32_t x = 0; x < to_width; ++x) {
            const uint64_t columns = std::max(column_start[x] + 1, column_start[x + 1]) - column_start[x];
            const uint64_t count = columns * (bottom - top);
            for (int c = 0; c < 4; ++c) out[size_t(x) * 4 + size_t(c)] = uint8_t((sums[size_t(x) * 4 + size_t(c)] + count / 2) / count);
        }
    }
}

std::optional<Image> thumbnail(const Image& image, uint32_t max_width, uint32_t max_height) {
    if (max_width == 0 || max_height == 0) return std::nullopt;
    const double fit = std::min({1.0, double(max_width) / image.width(), double(max_height) / image.height()});
    const auto width = std::clamp<uint32_t>(uint32_t(image.width() * fit + 0.5), 1, max_width);
    const auto height = std::clamp<uint32_t>(uint32_t(image.height() * fit + 0.5), 1, max_height);
    try {
        std::vector<uint8_t> pixels(size_t(width) * height * 4);
        scale_pixels(image.pixels().data(), image.width(), image.height(), image.stride(), pixels.data(), width,
                     height, size_t(width) * 4);
        auto made = make_image(width, height, std::move(pixels));
        if (!made) return std::nullopt;
        return std::move(*made);
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
}

}  // namespace kestrix
