#pragma once
// The backdrop: the capture with rounded corners, lying on a soft drop shadow,
// centred on a padded vertical gradient derived from the colours at its border.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/image.h"
#include "kestrix/result.h"

namespace kestrix {

// Every size of the composite follows from the capture's width and height.
struct BackdropSizes {
    double base = 0;         // max(W, H) x 0.055 within [24, 160]
    uint32_t pad = 0;        // margin on every side of the capture
    uint32_t blurRadius = 0;
    uint32_t drop = 0;       // the shadow's downward offset
    double cornerRadius = 0; // 0.022 x min(W, H) within [8, 40]
    double radius = 0;       // the corner radius limited to half the shorter side
    uint32_t sampleStep = 1; // distance between sampled border pixels
};

BackdropSizes backdropSizes(uint32_t width, uint32_t height);

// Colour channels as fractions in [0, 1].
struct ColourF {
    double r = 0, g = 0, b = 0;
};

struct Hsl {
    double hue = 0;  // in [0, 1)
    double saturation = 0;
    double lightness = 0;
};

struct Rgb8 {
    uint8_t r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb8&, const Rgb8&) = default;
};

// The mean colour of the pixels sampled every `step` along the four edges.
ColourF borderColour(const Image& image, uint32_t step);
Hsl toHsl(const ColourF& colour);
Rgb8 fromHsl(const Hsl& colour);

struct BackdropColours {
    Rgb8 top;
    Rgb8 bottom;
};

// The gradient's end colours: the border's hue, a muted saturation, a raised lightness.
BackdropColours backdropColours(const ColourF& border);

// One byte a pixel, rows top to bottom.
struct Mask {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> values;
};

// Coverage of the rounded rectangle of corner radius `radius` over a width x height grid.
Mask roundedMask(uint32_t width, uint32_t height, double radius);

// Box blur of every row with a running sum; indices outside a row repeat its end values.
void blurRows(Mask& mask, uint32_t radius);
Mask transposed(const Mask& mask);

// The rounded mask blurred three times along rows and along columns.
Mask shadowMask(const Mask& mask, uint32_t radius);

// The composite of (W + 2 pad) x (H + 2 pad) pixels, alpha 255 everywhere. Not
// enough memory for it is TooLarge.
Result<Image, ImageError> beautify(const Image& capture);

// The composite's size in bytes for a width x height capture; absent when it is too large.
std::optional<size_t> backdropBytes(uint32_t width, uint32_t height);

// Replaces the picture with its composite. When the pixel buffer's capacity
// holds backdropBytes() the composite is made in that buffer, over the capture,
// without a second full-size buffer; otherwise the capture's buffer is wiped
// and released. On failure the picture is left as it was.
Result<void, ImageError> beautifyInPlace(Image& image);

}  // namespace kestrix
