#include "kestrix/beautify.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <new>
#include <stdexcept>

namespace kestrix {

namespace {

constexpr double kEpsilon = 2.220446049250313e-16;

// Halves away from zero, the rounding used for every size and channel here.
int64_t roundHalfAway(double v) { return int64_t(std::round(v)); }

uint8_t toByte(double v) { return uint8_t(std::clamp<int64_t>(roundHalfAway(v), 0, 255)); }

// How far a pixel centre lies outside the band [r, size - r] of one axis.
double outside(double centre, double r, double size) { return std::max({r - centre, centre - (size - r), 0.0}); }

// The rounded rectangle's coverage of pixel (x, y), as a byte.
uint8_t coverage(uint32_t x, uint32_t y, uint32_t width, uint32_t height, double radius) {
    if (radius <= 0) return 255;
    const double dx = outside(x + 0.5, radius, width), dy = outside(y + 0.5, radius, height);
    // hypot(d, 0) is exactly d; only the corner zones need the real distance
    const double distance = dx == 0 ? dy : dy == 0 ? dx : std::hypot(dx, dy);
    return toByte(std::clamp(radius + 0.5 - distance, 0.0, 1.0) * 255);
}

}  // namespace

BackdropSizes backdropSizes(uint32_t width, uint32_t height) {
    BackdropSizes s;
    const double longer = std::max(width, height), shorter = std::min(width, height);
    s.base = std::clamp(longer * 0.055, 24.0, 160.0);
    s.pad = uint32_t(roundHalfAway(s.base));
    s.blurRadius = uint32_t(std::max<int64_t>(roundHalfAway(0.55 * s.base), 1));
    s.drop = uint32_t(roundHalfAway(0.22 * s.base));
    s.cornerRadius = std::clamp(0.022 * shorter, 8.0, 40.0);
    s.radius = std::max(std::min(s.cornerRadius, 0.5 * shorter), 0.0);
    s.sampleStep = std::max<uint32_t>(std::max(width, height) / 64, 1);
    return s;
}

ColourF borderColour(const Image& image, uint32_t step) {
    const uint32_t w = image.width(), h = image.height();
    step = std::max<uint32_t>(step, 1);
    uint64_t r = 0, g = 0, b = 0, count = 0;
    const uint8_t* px = image.pixels().data();
    auto sample = [&](uint32_t x, uint32_t y) {
        const uint8_t* p = px + (size_t(y) * w + x) * 4;
        b += p[0];
        g += p[1];
        r += p[2];
        ++count;
    };
    if (w > 0 && h > 0) {
        for (uint64_t x = 0; x < w; x += step) {
            sample(uint32_t(x), 0);
            sample(uint32_t(x), h - 1);
        }
        for (uint64_t y = 0; y < h; y += step) {
            sample(0, uint32_t(y));
            sample(w - 1, uint32_t(y));
        }
    }
    const double n = double(std::max<uint64_t>(count, 1)) * 255.0;
    return {double(r) / n, double(g) / n, double(b) / n};
}

Hsl toHsl(const ColourF& c) {
    const double mx = std::max({c.r, c.g, c.b}), mn = std::min({c.r, c.g, c.b});
    const double d = mx - mn;
    Hsl out;
    out.lightness = (mx + mn) / 2;
    if (d <= kEpsilon) return out;
    out.saturation = std::min(d / std::max(1 - std::abs(2 * out.lightness - 1), kEpsilon), 1.0);
    double sector;
    if (mx == c.r) {
        sector = std::fmod((c.g - c.b) / d, 6.0);
        if (sector < 0) sector += 6.0;
    } else if (mx == c.g) {
        sector = (c.b - c.r) / d + 2;
    } else {
        sector = (c.r - c.g) / d + 4;
    }
    out.hue = sector / 6;
    return out;
}

Rgb8 fromHsl(const Hsl& hsl) {
    const double c = (1 - std::abs(2 * hsl.lightness - 1)) * hsl.saturation;
    const double h6 = hsl.hue * 6;
    const double x = c * (1 - std::abs(std::fmod(h6, 2.0) - 1));
    const double m = hsl.lightness - c / 2;
    const int sector = std::clamp(int(h6), 0, 5);
    static constexpr std::array<std::array<int, 3>, 6> kOrder = {{
        {0, 1, 2}, {1, 0, 2}, {2, 0, 1}, {2, 1, 0}, {1, 2, 0}, {0, 2, 1},
    }};
    // kOrder[sector] says which of (C, X, 0) each of red, green, blue takes.
    const double parts[3] = {c, x, 0.0};
    const auto& o = kOrder[size_t(sector)];
    return {toByte((parts[o[0]] + m) * 255), toByte((parts[o[1]] + m) * 255), toByte((parts[o[2]] + m) * 255)};
}

BackdropColours backdropColours(const ColourF& border) {
    const Hsl hsl = toHsl(border);
    const double s = std::clamp(hsl.saturation, 0.14, 0.38);
    const double l1 = 0.54 * hsl.lightness + 0.3;
    return {fromHsl({hsl.hue, s, l1}), fromHsl({hsl.hue, s, l1 - 0.13})};
}

Mask roundedMask(uint32_t width, uint32_t height, double radius) {
    Mask m{width, height, std::vector<uint8_t>(size_t(width) * height)};
    for (uint32_t y = 0; y < height; ++y)
        for (uint32_t x = 0; x < width; ++x) m.values[size_t(y) * width + x] = coverage(x, y, width, height, radius);
    return m;
}

void blurRows(Mask& mask, uint32_t radius) {
    const uint32_t w = mask.width;
    if (w == 0 || mask.height == 0 || radius == 0) return;
    const uint64_t n = 2 * uint64_t(radius) + 1;
    // round(sum / n) for every possible sum: one table look-up instead of a division per value
    std::vector<uint8_t> divide(size_t(255 * n + 1));
    for (uint64_t s = 0; s < divide.size(); ++s) divide[s] = uint8_t(std::min<uint64_t>((2 * s + n) / (2 * n), 255));

    std::vector<uint8_t> source(w);
    const uint32_t last = w - 1;
    for (uint32_t y = 0; y < mask.height; ++y) {
        uint8_t* row = mask.values.data() + size_t(y) * w;
        std::memcpy(source.data(), row, w);
        const uint8_t* s = source.data();
        uint64_t sum = (uint64_t(radius) + 1) * s[0];
        for (uint64_t i = 1; i <= radius; ++i) sum += s[std::min<uint64_t>(i, last)];
        for (uint32_t i = 0; i < w; ++i) {
            row[i] = divide[size_t(sum)];
            sum += s[std::min<uint64_t>(uint64_t(i) + radius + 1, last)];
            sum -= s[i >= radius ? i - radius : 0];
        }
    }
}

Mask transposed(const Mask& mask) {
    Mask out{mask.height, mask.width, std::vector<uint8_t>(mask.values.size())};
    constexpr uint32_t kTile = 64;  // keeps both the read and the write side in cache
    for (uint32_t y0 = 0; y0 < mask.height; y0 += kTile) {
        const uint32_t y1 = std::min(y0 + kTile, mask.height);
        for (uint32_t x0 = 0; x0 < mask.width; x0 += kTile) {
            const uint32_t x1 = std::min(x0 + kTile, mask.width);
            for (uint32_t y = y0; y < y1; ++y) {
                const uint8_t* src = mask.values.data() + size_t(y) * mask.width;
                for (uint32_t x = x0; x < x1; ++x) out.values[size_t(x) * mask.height + y] = src[x];
            }
        }
    }
    return out;
}

Mask shadowMask(const Mask& mask, uint32_t radius) {
    Mask m = mask;
    for (int pass = 0; pass < 3; ++pass) {
        blurRows(m, radius);
        Mask columns = transposed(m);
        blurRows(columns, radius);
        m = transposed(columns);
    }
    return m;
}

namespace {

// Along one axis the rounded rectangle has a long middle stretch where every
// column (or row) of the mask is the same. Each blur pass reaches `k` further
// into it, so the mask and its blur are worked out with that stretch cut down to
// 2 x reach + 1 positions; one stored position (the pivot, `reach` into the
// stretch) then stands for all the positions that were cut.
struct Axis {
    uint32_t full = 0;    // positions in the capture
    uint32_t removed = 0; // positions cut from the middle stretch
    uint32_t pivot = 0;   // the stored position standing for the cut ones

    uint32_t stored() const { return full - removed; }
    uint32_t storedOf(uint32_t i) const {
        if (removed == 0 || i <= pivot) return i;
        return i > pivot + removed ? i - removed : pivot;
    }
    uint32_t fullOf(uint32_t j) const { return removed == 0 || j <= pivot ? j : j + removed; }
};

Axis makeAxis(uint32_t full, double radius, uint64_t reach) {
    Axis a{full, 0, 0};
    if (radius <= 0) return a;
    // the stretch: pixel centres c with radius <= c <= full - radius
    const double first = std::max(std::ceil(radius - 0.5), 0.0);
    const double last = std::floor(full - radius - 0.5);
    const double length = last - first + 1;
    const double kept = 2.0 * double(reach) + 1;
    if (length <= kept) return a;
    a.removed = uint32_t(length - kept);
    a.pivot = uint32_t(first) + uint32_t(reach);
    return a;
}

Mask storedMask(const Axis& ax, const Axis& ay, double radius) {
    Mask m{ax.stored(), ay.stored(), std::vector<uint8_t>(size_t(ax.stored()) * ay.stored())};
    for (uint32_t j = 0; j < m.height; ++j)
        for (uint32_t i = 0; i < m.width; ++i)
            m.values[size_t(j) * m.width + i] = coverage(ax.fullOf(i), ay.fullOf(j), ax.full, ay.full, radius);
    return m;
}

// Calls fn(first, end, stored) for runs of capture positions: each position x in
// [first, end) reads stored position stored + (x - first), or `stored` alone when
// the run is the cut stretch (constant == true).
template <class Fn>
void forEachRun(const Axis& a, Fn&& fn) {
    if (a.removed == 0) {
        fn(0u, a.full, 0u, false);
        return;
    }
    fn(0u, a.pivot, 0u, false);
    fn(a.pivot, a.pivot + a.removed + 1, a.pivot, true);
    fn(a.pivot + a.removed + 1, a.full, a.pivot + 1, false);
}

void copyOpaque(uint8_t* dst, const uint8_t* src, size_t count) {
    for (size_t i = 0; i < count; ++i) {
        uint32_t v;
        std::memcpy(&v, src + i * 4, 4);
        v |= 0xFF000000u;
        std::memcpy(dst + i * 4, &v, 4);
    }
}

void fill(uint8_t* dst, uint32_t pixel, size_t count) {
    for (size_t i = 0; i < count; ++i) std::memcpy(dst + i * 4, &pixel, 4);
}

// The capture's colour over the background pixel `bg` at coverage `value`; alpha stays 255.
void blend(uint8_t* out, const uint8_t* src, uint32_t bg, uint8_t value) {
    const double a = value / 255.0;
    uint8_t p[4];
    std::memcpy(p, &bg, 4);
    for (int c = 0; c < 3; ++c) p[c] = toByte(src[c] * a + p[c] * (1 - a));
    std::memcpy(out, p, 4);
}

// Everything the composite needs besides the capture's pixels. It is worked out
// before any pixel is written, so the composite can take over the capture's buffer.
struct Backdrop {
    uint32_t w = 0, h = 0;
    uint64_t wo = 0, ho = 0;
    BackdropSizes z;
    BackdropColours colours;
    Axis ax, ay;
    Mask sharp, shadow;
    std::vector<uint8_t> shade;  // [mask value][channel]: the channel darkened under the shadow
};

Result<Backdrop, ImageError> planBackdrop(const Image& capture) {
    Backdrop b;
    b.w = capture.width();
    b.h = capture.height();
    if (b.w == 0 || b.h == 0) return fail(ImageError{ImageError::Kind::ZeroSized});
    b.z = backdropSizes(b.w, b.h);
    b.wo = uint64_t(b.w) + 2 * uint64_t(b.z.pad);
    b.ho = uint64_t(b.h) + 2 * uint64_t(b.z.pad);
    if (b.wo > std::numeric_limits<uint32_t>::max() || b.ho > std::numeric_limits<uint32_t>::max() ||
        b.wo > 0x3FFFFFFFFFFFFFFFull / b.ho)
        return fail(ImageError{ImageError::Kind::TooLarge});
    b.colours = backdropColours(borderColour(capture, b.z.sampleStep));
    const uint64_t reach = 3 * uint64_t(b.z.blurRadius);  // three passes along each axis
    b.ax = makeAxis(b.w, b.z.radius, reach);
    b.ay = makeAxis(b.h, b.z.radius, reach);
    b.sharp = storedMask(b.ax, b.ay, b.z.radius);
    b.shadow = shadowMask(b.sharp, b.z.blurRadius);
    b.shade.resize(256 * 256);
    for (int v = 0; v < 256; ++v) {
        const double factor = 1 - 0.38 * (v / 255.0);
        for (int c = 0; c < 256; ++c) b.shade[size_t(v) * 256 + size_t(c)] = toByte(c * factor);
    }
    return b;
}

// The vertical gradient's pixel for row y.
uint32_t gradientPixel(const Backdrop& b, uint64_t y) {
    const double t = b.ho == 1 ? 0.0 : double(y) / double(b.ho - 1);
    auto mix = [t](uint8_t from, uint8_t to) { return uint32_t(toByte(from + (double(to) - from) * t)); };
    const BackdropColours& c = b.colours;
    return mix(c.top.b, c.bottom.b) | mix(c.top.g, c.bottom.g) << 8 | mix(c.top.r, c.bottom.r) << 16 | 0xFF000000u;
}

// Writes row y of the composite in one pass: the gradient, darkened where the
// shadow (the blurred mask moved down by the drop) falls, under the capture row
// `in` blended by the sharp mask. `in` is null for rows the capture does not
// reach; it may lie in the same buffer as `out` as long as the two do not overlap.
void composeRow(const Backdrop& b, uint64_t y, uint8_t* out, const uint8_t* in) {
    const uint32_t gradient = gradientPixel(b, y);
    const uint32_t pad = b.z.pad;
    fill(out, gradient, pad);
    fill(out + (uint64_t(pad) + b.w) * 4, gradient, pad);

    const int64_t captureRow = int64_t(y) - pad, shadowRow = captureRow - int64_t(b.z.drop);
    const uint8_t* sharp = in ? b.sharp.values.data() + size_t(b.ay.storedOf(uint32_t(captureRow))) * b.sharp.width : nullptr;
    const uint8_t* shadow = shadowRow >= 0 && shadowRow < int64_t(b.h)
                                ? b.shadow.values.data() + size_t(b.ay.storedOf(uint32_t(shadowRow))) * b.shadow.width
                                : nullptr;
    auto background = [&](uint8_t v) {
        if (v == 0) return gradient;
        const uint8_t* table = b.shade.data() + size_t(v) * 256;
        return uint32_t(table[gradient & 0xFF]) | uint32_t(table[(gradient >> 8) & 0xFF]) << 8 |
               uint32_t(table[(gradient >> 16) & 0xFF]) << 16 | 0xFF000000u;
    };
    uint8_t* row = out + size_t(pad) * 4;
    forEachRun(b.ax, [&](uint32_t first, uint32_t end, uint32_t stored, bool constant) {
        if (constant) {  // one mask value for the whole run
            const uint8_t cover = sharp ? sharp[stored] : 0;
            if (cover == 255) return copyOpaque(row + size_t(first) * 4, in + size_t(first) * 4, end - first);
            const uint32_t bg = background(shadow ? shadow[stored] : 0);
            if (cover == 0) return fill(row + size_t(first) * 4, bg, end - first);
            for (uint32_t x = first; x < end; ++x) blend(row + size_t(x) * 4, in + size_t(x) * 4, bg, cover);
            return;
        }
        for (uint32_t x = first; x < end; ++x) {
            const uint32_t j = stored + (x - first);
            const uint8_t cover = sharp ? sharp[j] : 0;
            if (cover == 255) {
                copyOpaque(row + size_t(x) * 4, in + size_t(x) * 4, 1);
                continue;
            }
            const uint32_t bg = background(shadow ? shadow[j] : 0);
            if (cover == 0)
                fill(row + size_t(x) * 4, bg, 1);
            else
                blend(row + size_t(x) * 4, in + size_t(x) * 4, bg, cover);
        }
    });
}

const uint8_t* captureRowOf(const Backdrop& b, const uint8_t* capture, uint64_t y) {
    if (y < b.z.pad || y >= uint64_t(b.z.pad) + b.h) return nullptr;
    return capture + (y - b.z.pad) * b.w * 4;
}

}  // namespace

std::optional<size_t> backdropBytes(uint32_t width, uint32_t height) {
    if (width == 0 || height == 0) return std::nullopt;
    const BackdropSizes z = backdropSizes(width, height);
    const uint64_t wo = uint64_t(width) + 2 * uint64_t(z.pad), ho = uint64_t(height) + 2 * uint64_t(z.pad);
    if (wo > std::numeric_limits<uint32_t>::max() || ho > std::numeric_limits<uint32_t>::max() ||
        wo > 0x3FFFFFFFFFFFFFFFull / ho || wo * ho > std::numeric_limits<size_t>::max() / 4)
        return std::nullopt;
    return size_t(wo * ho * 4);
}

namespace {

Result<Image, ImageError> composite(const Image& capture) {
    auto planned = planBackdrop(capture);
    if (!planned) return fail(planned.error());
    const Backdrop& b = *planned;
    // Rows are made in a small buffer that stays in cache and appended: the big
    // buffer is written once, with no zero-fill ahead of the real pixels.
    std::vector<uint8_t> out;
    out.reserve(size_t(b.wo * b.ho * 4));
    std::vector<uint8_t> row(size_t(b.wo) * 4);
    for (uint64_t y = 0; y < b.ho; ++y) {
        composeRow(b, y, row.data(), captureRowOf(b, capture.pixels().data(), y));
        out.insert(out.end(), row.begin(), row.end());
    }
    return make_image(uint32_t(b.wo), uint32_t(b.ho), std::move(out));
}

// Every allocation comes before the first pixel is written, so running out of
// memory leaves the picture as it was.
Result<void, ImageError> compositeInPlace(Image& image) {
    auto planned = planBackdrop(image);
    if (!planned) return fail(planned.error());
    const Backdrop& b = *planned;
    std::vector<uint8_t>& px = image.pixels();
    const size_t bytes = size_t(b.wo * b.ho * 4);
    if (px.capacity() < bytes) {
        auto made = beautify(image);
        if (!made) return fail(made.error());
        image.wipe();  // the plain picture held screen pixels
        image = std::move(made).value();
        return {};
    }
    // Growing within the capacity keeps the capture where it is. Row y of the
    // composite starts at y x wo x 4, past the end of the capture row it shows
    // (y - pad) and of every row above that, so going from the bottom up only
    // overwrites capture rows that are no longer needed.
    px.resize(bytes);
    for (uint64_t y = b.ho; y-- > 0;) composeRow(b, y, px.data() + y * b.wo * 4, captureRowOf(b, px.data(), y));
    image = make_image(uint32_t(b.wo), uint32_t(b.ho), std::move(px)).value();
    return {};
}

}  // namespace

Result<Image, ImageError> beautify(const Image& capture) {
    try {
        return composite(capture);
    } catch (const std::bad_alloc&) {
        return fail(ImageError{ImageError::Kind::TooLarge});  // too large for the memory there is
    } catch (const std::length_error&) {
        return fail(ImageError{ImageError::Kind::TooLarge});
    }
}

Result<void, ImageError> beautifyInPlace(Image& image) {
    try {
        return compositeInPlace(image);
    } catch (const std::bad_alloc&) {
        return fail(ImageError{ImageError::Kind::TooLarge});
    } catch (const std::length_error&) {
        return fail(ImageError{ImageError::Kind::TooLarge});
    }
}

}  // namespace kestrix
