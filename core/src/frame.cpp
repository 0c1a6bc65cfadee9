#include "kestrix/frame.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <stdexcept>

#include "kestrix/ui_scale.h"

namespace kestrix {

std::optional<Rect> intersect(const Rect& a, const Rect& b) {
    const int64_t left = std::max<int64_t>(a.x, b.x);
    const int64_t top = std::max<int64_t>(a.y, b.y);
    const int64_t right = std::min(a.right(), b.right());
    const int64_t bottom = std::min(a.bottom(), b.bottom());
    if (right - left < 1 || bottom - top < 1) return std::nullopt;
    return Rect{int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

void sort_monitors(std::vector<Monitor>& monitors) {
    std::stable_sort(monitors.begin(), monitors.end(), [](const Monitor& a, const Monitor& b) {
        if (a.primary != b.primary) return a.primary;
        if (a.rect.x != b.rect.x) return a.rect.x < b.rect.x;
        return a.rect.y < b.rect.y;
    });
}

Rect virtual_desktop(const std::vector<Monitor>& monitors) {
    Rect acc;
    for (const Monitor& m : monitors) {
        if (acc.empty()) {
            acc = m.rect;
            continue;
        }
        if (m.rect.empty()) continue;
        const int64_t left = std::min(acc.x, m.rect.x);
        const int64_t top = std::min(acc.y, m.rect.y);
        const int64_t right = std::max(acc.right(), m.rect.right());
        const int64_t bottom = std::max(acc.bottom(), m.rect.bottom());
        acc = Rect{int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
    }
    return acc;
}

namespace {

// The squared gap between two rectangles; 0 when they touch or overlap.
double squared_gap(const Rect& a, const Rect& b) {
    const auto gap = [](int64_t a0, int64_t a1, int64_t b0, int64_t b1) {
        return double(std::max<int64_t>({0, b0 - a1, a0 - b1}));
    };
    const double dx = gap(a.x, a.right(), b.x, b.right()), dy = gap(a.y, a.bottom(), b.y, b.bottom());
    return dx * dx + dy * dy;
}

}  // namespace

const Monitor* monitor_for(const std::vector<Monitor>& monitors, const Rect& rect) {
    const Monitor* best = nullptr;
    uint64_t best_area = 0;
    for (const Monitor& m : monitors) {
        if (m.rect.empty()) continue;
        const auto overlap = intersect(m.rect, rect);
        const uint64_t area = overlap ? uint64_t(overlap->width) * uint64_t(overlap->height) : 0;
        if (area > best_area) best = &m, best_area = area;
    }
    if (!best) {
        for (const Monitor& m : monitors) {
            if (m.rect.empty()) continue;
            if (!best || squared_gap(m.rect, rect) < squared_gap(best->rect, rect)) best = &m;
        }
    }
    return best;
}

std::optional<Rect> monitor_of(const std::vector<Monitor>& monitors, const Rect& rect) {
    const Monitor* monitor = monitor_for(monitors, rect);
    if (!monitor) return std::nullopt;
    return monitor->rect;
}

uint32_t ui_scale_of(const std::vector<Monitor>& monitors, const Rect& rect) {
    const Monitor* monitor = monitor_for(monitors, rect);
    return monitor ? usable_ui_scale(monitor->ui_scale) : 100;
}

uint32_t ui_scale_at(const std::vector<Monitor>& monitors, int32_t x, int32_t y) {
    return ui_scale_of(monitors, Rect{x, y, 1, 1});
}

std::optional<Rect> monitor_at(const std::vector<Monitor>& monitors, int32_t x, int32_t y) {
    return monitor_of(monitors, Rect{x, y, 1, 1});
}

uint32_t ui_scale_for_dpi(uint32_t dpi) { return dpi == 0 ? 100 : dpi * 100 / 96; }

TileImage::TileImage(Image image) : image_(std::move(image)) {}

Result<TileImage, ImageError> TileImage::lent(uint32_t width, uint32_t height, uint8_t* pixels,
                                              std::unique_ptr<PixelOwner> owner) {
    // make_image's checks without its buffer: an empty one of the wrong length.
    if (auto checked = make_image(width, height, {}); !checked && checked.error().kind != ImageError::Kind::BadLength)
        return fail(std::move(checked).error());
    if (!pixels) {
        ImageError missing{ImageError::Kind::BadLength};
        missing.expected = uint64_t(width) * height * 4;
        return fail(std::move(missing));
    }
    TileImage image;
    image.owner_ = std::move(owner);
    image.lent_ = pixels;
    image.width_ = width;
    image.height_ = height;
    return image;
}

TileImage::TileImage(const TileImage& other) : image_(other.image_) {
    if (!other.owner_) return;
    image_ = make_image(other.width_, other.height_, std::vector<uint8_t>(other.data(), other.data() + other.byte_size()))
                 .value();
}

TileImage& TileImage::operator=(const TileImage& other) {
    if (this != &other) *this = TileImage(other);
    return *this;
}

std::optional<uint32_t> TileImage::pixel_at(uint32_t x, uint32_t y) const {
    if (!owner_) return image_->pixel_at(x, y);
    if (x >= width_ || y >= height_) return std::nullopt;
    const uint8_t* p = lent_ + (size_t(y) * width_ + x) * 4;
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void TileImage::wipe() {
    if (!owner_) {
        image_->wipe();
        return;
    }
    // The memory stays the owner's, so these stores cannot be optimised away.
    std::memset(lent_, 0, byte_size());
}

namespace {

constexpr uint64_t kSaturate = 4294967295ull;

uint32_t effective_scale(uint32_t scale) { return scale == 0 ? 100 : scale; }

// value x s / 100, 0 for values that are not positive, saturated to 32 bits
uint64_t scaled(int64_t value, uint32_t s) {
    if (value <= 0) return 0;
    return std::min<uint64_t>(uint64_t(value) * s / 100, kSaturate);
}

}  // namespace

uint32_t Frame::max_scale(const Rect& rect) const {
    uint32_t best = 0;
    for (const Tile& t : tiles)
        if (intersect(t.rect, rect)) best = std::max(best, effective_scale(t.scale));
    return best == 0 ? 100 : best;
}

std::optional<PixelSize> Frame::crop_size(const Rect& r) const {
    if (r.empty()) return std::nullopt;
    if (std::none_of(tiles.begin(), tiles.end(), [&](const Tile& t) { return intersect(t.rect, r).has_value(); }))
        return std::nullopt;
    const uint32_t s = max_scale(r);
    const uint64_t W = std::max<uint64_t>(1, scaled(r.width, s));
    const uint64_t H = std::max<uint64_t>(1, scaled(r.height, s));
    constexpr uint64_t kMaxPixels = (1ull << 62) - 1;
    if (W > kMaxPixels / H) return std::nullopt;
    return PixelSize{W, H};
}

namespace {

// The tile that alone fills all of `r` at its own scale `s`, if there is one:
// the crop is then a plain copy of its rows.
const Tile* soleSource(const std::vector<Tile>& tiles, const Rect& r, uint32_t s, uint64_t W, uint64_t H) {
    const Tile* found = nullptr;
    for (const Tile& t : tiles) {
        if (!intersect(t.rect, r)) continue;
        if (found) return nullptr;  // where tiles overlap the later one wins: leave that to the general copy
        found = &t;
    }
    if (!found || effective_scale(found->scale) != s || scaled(r.width, s) != W || scaled(r.height, s) != H) return nullptr;
    const Rect& t = found->rect;
    if (r.x < t.x || r.y < t.y || r.right() > t.right() || r.bottom() > t.bottom()) return nullptr;
    const uint64_t col = scaled(int64_t(r.x) - t.x, s), row = scaled(int64_t(r.y) - t.y, s);
    if (col + W > found->image.width() || row + H > found->image.height()) return nullptr;
    return found;
}

}  // namespace

std::optional<Image> Frame::crop(const Rect& r, size_t capacity) const {
    try {
        return crop_or_throw(r, capacity);
    } catch (const std::bad_alloc&) {
        return std::nullopt;  // not enough memory for the picture
    } catch (const std::length_error&) {
        return std::nullopt;
    }
}

std::optional<Image> Frame::crop_or_throw(const Rect& r, size_t capacity) const {
    const auto size = crop_size(r);
    if (!size) return std::nullopt;
    const uint32_t s = max_scale(r);
    const uint64_t W = size->width, H = size->height;

    std::vector<uint8_t> out;
    out.reserve(std::max<size_t>(capacity, size_t(W * H * 4)));
    if (const Tile* t = soleSource(tiles, r, s, W, H)) {
        // appended row by row: each byte is written once, with no zero-fill first
        const uint64_t tw = t->image.width();
        const uint64_t col = scaled(int64_t(r.x) - t->rect.x, s), row0 = scaled(int64_t(r.y) - t->rect.y, s);
        const uint8_t* src = t->image.data();
        for (uint64_t y = 0; y < H; ++y) {
            const uint8_t* line = src + ((row0 + y) * tw + col) * 4;
            out.insert(out.end(), line, line + W * 4);
        }
        auto image = make_image(uint32_t(W), uint32_t(H), std::move(out));
        if (!image) return std::nullopt;
        return std::move(image).value();
    }

    out.resize(size_t(W * H * 4));
    for (size_t i = 3; i < out.size(); i += 4) out[i] = 255;

    for (const Tile& t : tiles) {
        const auto overlap = intersect(t.rect, r);
        if (!overlap) continue;
        const Rect& I = *overlap;
        const uint64_t px = scaled(int64_t(I.x) - r.x, s), py = scaled(int64_t(I.y) - r.y, s);
        if (px >= W || py >= H) continue;
        const uint64_t pw = std::min(scaled(I.width, s), W - px);
        const uint64_t ph = std::min(scaled(I.height, s), H - py);
        if (pw == 0 || ph == 0) continue;
        const uint32_t ts = effective_scale(t.scale);
        const uint64_t tw = t.image.width(), th = t.image.height();
        const uint8_t* src = t.image.data();

        if (ts == s) {
            const uint64_t col = scaled(int64_t(I.x) - t.rect.x, s);
            const uint64_t row0 = scaled(int64_t(I.y) - t.rect.y, s);
            if (col >= tw) continue;
            const uint64_t count = std::min(pw, tw - col);
            for (uint64_t r2 = 0; r2 < ph && row0 + r2 < th; ++r2)
                std::memcpy(&out[((py + r2) * W + px) * 4], src + ((row0 + r2) * tw + col) * 4, count * 4);
            continue;
        }
        const int64_t dx = int64_t(r.x) - t.rect.x, dy = int64_t(r.y) - t.rect.y;
        const int64_t denom = int64_t(s) * 100;
        auto source = [&](int64_t offset, uint64_t c, uint64_t last) {
            int64_t v = (offset * s + int64_t(c) * 100) * ts / denom;
            return uint64_t(std::clamp<int64_t>(v, 0, int64_t(last)));
        };
        for (uint64_t row = py; row < py + ph; ++row) {
            const uint64_t sy = source(dy, row, th - 1);
            for (uint64_t c = px; c < px + pw; ++c) {
                const uint64_t sx = source(dx, c, tw - 1);
                std::memcpy(&out[(row * W + c) * 4], src + (sy * tw + sx) * 4, 4);
            }
        }
    }
    auto image = make_image(uint32_t(W), uint32_t(H), std::move(out));
    if (!image) return std::nullopt;
    return std::move(image).value();
}

std::optional<uint32_t> Frame::pixel_at(int32_t x, int32_t y) const {
    for (const Tile& t : tiles) {
        if (!t.rect.contains(x, y)) continue;
        const uint64_t s = effective_scale(t.scale);
        const uint64_t col = uint64_t(int64_t(x) - t.rect.x) * s / 100;
        const uint64_t row = uint64_t(int64_t(y) - t.rect.y) * s / 100;
        if (col >= t.image.width() || row >= t.image.height()) return std::nullopt;
        return t.image.pixel_at(uint32_t(col), uint32_t(row));
    }
    return std::nullopt;
}

void Frame::wipe() {
    for (Tile& t : tiles) t.image.wipe();
}

}  // namespace kestrix
