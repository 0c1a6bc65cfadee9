#include "kestrix/redaction.h"

#include <algorithm>
#include <cmath>

namespace kestrix {

std::optional<PixelBlock> redactionPixels(const RedactMark& redaction, Origin origin, double scale, uint32_t width,
                                          uint32_t height) {
    const double x0 = (std::min(redaction.start.x, redaction.end.x) - origin.x) * scale;
    const double x1 = (std::max(redaction.start.x, redaction.end.x) - origin.x) * scale;
    const double y0 = (std::min(redaction.start.y, redaction.end.y) - origin.y) * scale;
    const double y1 = (std::max(redaction.start.y, redaction.end.y) - origin.y) * scale;
    if (!std::isfinite(x0) || !std::isfinite(x1) || !std::isfinite(y0) || !std::isfinite(y1)) return std::nullopt;
    // Outward to whole pixels: a pixel the box covers only in part is covered all the same.
    const auto first = [](double v, uint32_t limit) { return uint32_t(std::clamp(std::floor(v), 0.0, double(limit))); };
    const auto end = [](double v, uint32_t limit) { return uint32_t(std::clamp(std::ceil(v), 0.0, double(limit))); };
    PixelBlock block{first(x0, width), first(y0, height), end(x1, width), end(y1, height)};
    // A box of no width still hides the column it lies on.
    if (block.right == block.left && x0 >= 0 && x0 < width) block.right = block.left + 1;
    if (block.bottom == block.top && y0 >= 0 && y0 < height) block.bottom = block.top + 1;
    if (block.right <= block.left || block.bottom <= block.top) return std::nullopt;
    return block;
}

void applyRedactions(Image& target, const std::vector<Annotation>& annotations, Origin origin, double scale) {
    const size_t stride = target.stride();
    for (const Annotation& a : annotations) {
        const auto* redaction = std::get_if<RedactMark>(&a);
        if (!redaction) continue;
        const auto block = redactionPixels(*redaction, origin, scale, target.width(), target.height());
        if (!block) continue;
        const Colour c = redaction->colour;
        const uint8_t bgra[4] = {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c), 255};
        for (uint32_t y = block->top; y < block->bottom; ++y) {
            uint8_t* px = target.pixels().data() + size_t(y) * stride + size_t(block->left) * 4;
            for (uint32_t x = block->left; x < block->right; ++x, px += 4) std::copy(bgra, bgra + 4, px);
        }
    }
}

bool hasRedactions(const std::vector<Annotation>& annotations) {
    return std::any_of(annotations.begin(), annotations.end(),
                       [](const Annotation& a) { return std::holds_alternative<RedactMark>(a); });
}

}  // namespace kestrix
