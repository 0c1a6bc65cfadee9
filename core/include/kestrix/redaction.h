#pragma once
// Redactions hide for certain: the pixels under them are overwritten with the
// fill colour itself, not drawn over with the drawing library, whose soft edges
// and blending would let the picture underneath show through.
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/image.h"

namespace kestrix {

// A block of whole pixels: columns [left, right), rows [top, bottom).
struct PixelBlock {
    uint32_t left = 0;
    uint32_t top = 0;
    uint32_t right = 0;
    uint32_t bottom = 0;
    friend bool operator==(const PixelBlock&, const PixelBlock&) = default;
};

// Every pixel of a width x height picture that the redaction's box touches, even
// by a sliver, when the picture's top-left pixel shows desktop point `origin` at
// `scale` pixels per desktop unit. Absent when it touches none.
std::optional<PixelBlock> redactionPixels(const RedactMark& redaction, Origin origin, double scale, uint32_t width,
                                          uint32_t height);

// Sets every pixel under every redaction of the list to exactly its colour, alpha 255.
void applyRedactions(Image& target, const std::vector<Annotation>& annotations, Origin origin, double scale);

bool hasRedactions(const std::vector<Annotation>& annotations);

}  // namespace kestrix
