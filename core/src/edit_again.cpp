#include "kestrix/edit_again.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <stdexcept>

#include "kestrix/image_scale.h"

namespace kestrix {

namespace {

// The pixels of the marks themselves, beside the crop.
size_t annotation_bytes(const Annotation& annotation) {
    return sizeof(Annotation) + std::visit(
                                    [](const auto& m) -> size_t {
                                        size_t extra = 0;
                                        if constexpr (requires { m.points; }) extra += m.points.size() * sizeof(Point);
                                        if constexpr (requires { m.text; }) extra += m.text.size();
                                        return extra;
                                    },
                                    annotation);
}

int32_t rounded(double value) { return int32_t(std::lround(value)); }

// One end of a selection edge in crop pixels.
int32_t to_crop_edge(int32_t desktop, int32_t shown_at, int32_t shown_size, uint32_t crop_size) {
    const double at = double(int64_t(desktop) - shown_at) * crop_size / shown_size;
    return std::clamp<int32_t>(rounded(at), 0, int32_t(crop_size));
}

}  // namespace

size_t EditableCapture::bytes() const {
    size_t total = crop.pixels().size();
    for (const Annotation& a : annotations) total += annotation_bytes(a);
    return total;
}

std::optional<EditableCapture> editable_capture(const ExportInput& input) {
    auto crop = input.frame.crop(input.selection);
    if (!crop) return std::nullopt;
    const double s = input.frame.max_scale(input.selection) / 100.0;
    const CoordinateMap into_crop{s, s, -input.selection.x * s, -input.selection.y * s, s};
    try {
        return EditableCapture{std::move(*crop), remapped(input.annotations, into_crop), input.backdrop};
    } catch (const std::bad_alloc&) {
        crop->wipe();
        return std::nullopt;
    } catch (const std::length_error&) {
        crop->wipe();
        return std::nullopt;
    }
}

CoordinateMap EditPlacement::to_desktop() const {
    const double sx = double(shown.width) / width, sy = double(shown.height) / height;
    return {sx, sy, double(shown.x), double(shown.y), std::min(sx, sy)};
}

CoordinateMap EditPlacement::to_crop() const {
    const double sx = double(width) / shown.width, sy = double(height) / shown.height;
    return {sx, sy, -shown.x * sx, -shown.y * sy, 1.0 / to_desktop().size};
}

std::optional<EditPlacement> place_for_editing(const std::vector<Monitor>& monitors, int32_t pointer_x,
                                               int32_t pointer_y, uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return std::nullopt;
    const auto monitor = monitor_at(monitors, pointer_x, pointer_y);
    if (!monitor || monitor->empty()) return std::nullopt;
    const Rect& m = *monitor;
    const double fit = std::min({1.0, double(m.width) / width, double(m.height) / height});
    const int32_t w = std::clamp<int32_t>(rounded(width * fit), 1, m.width);
    const int32_t h = std::clamp<int32_t>(rounded(height * fit), 1, m.height);
    return EditPlacement{{m.x + (m.width - w) / 2, m.y + (m.height - h) / 2, w, h}, width, height};
}

std::vector<Annotation> remapped(const std::vector<Annotation>& annotations, const CoordinateMap& map) {
    std::vector<Annotation> out;
    out.reserve(annotations.size());
    for (const Annotation& a : annotations) out.push_back(remapped(a, map));
    return out;
}

Rect crop_selection(const EditPlacement& p, const Rect& selection) {
    const Rect& s = p.shown;
    const int32_t left = to_crop_edge(selection.x, s.x, s.width, p.width);
    const int32_t top = to_crop_edge(selection.y, s.y, s.height, p.height);
    const int32_t right = to_crop_edge(int32_t(selection.right()), s.x, s.width, p.width);
    const int32_t bottom = to_crop_edge(int32_t(selection.bottom()), s.y, s.height, p.height);
    // Never empty: a selection narrower than a crop pixel still takes one.
    const int32_t x = std::min(left, int32_t(p.width) - 1), y = std::min(top, int32_t(p.height) - 1);
    return {x, y, std::max(right - x, 1), std::max(bottom - y, 1)};
}

void show_in_frame(Frame& frame, const Image& crop, const EditPlacement& placement) {
    std::optional<Image> fitted;
    const Image* shown = &crop;
    const Rect& r = placement.shown;
    if (uint32_t(r.width) != crop.width() || uint32_t(r.height) != crop.height()) {
        try {
            std::vector<uint8_t> pixels(size_t(r.width) * size_t(r.height) * 4);
            scale_pixels(crop.pixels().data(), crop.width(), crop.height(), crop.stride(), pixels.data(),
                         uint32_t(r.width), uint32_t(r.height), size_t(r.width) * 4);
            auto made = make_image(uint32_t(r.width), uint32_t(r.height), std::move(pixels));
            if (!made) return;
            fitted = std::move(*made);
            shown = &*fitted;
        } catch (const std::bad_alloc&) {
            return;  // the desktop then shows through; the picture made at the end is still whole
        }
    }
    for (Tile& tile : frame.tiles) {
        // Tiles of another scale than 1:1 do not arise on Windows; they keep what they show.
        if (tile.scale != 100 && tile.scale != 0) continue;
        const auto part = intersect(tile.rect, r);
        if (!part) continue;
        TileImage& image = tile.image;
        for (int32_t y = part->y; y < part->bottom(); ++y) {
            const uint8_t* from = shown->pixels().data() + (size_t(y - r.y) * shown->width() + size_t(part->x - r.x)) * 4;
            uint8_t* to = image.data() + (size_t(y - tile.rect.y) * image.width() + size_t(part->x - tile.rect.x)) * 4;
            std::memcpy(to, from, size_t(part->width) * 4);
        }
    }
    if (fitted) fitted->wipe();
}

Frame crop_frame(const Image& crop) {
    Frame frame;
    frame.tiles.push_back(Tile{crop, {0, 0, int32_t(crop.width()), int32_t(crop.height())}, 100});
    return frame;
}

}  // namespace kestrix
