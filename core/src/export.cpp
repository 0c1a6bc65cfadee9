#include "kestrix/export.h"

#include <algorithm>
#include <new>
#include <stdexcept>

#include "kestrix/annotate.h"
#include "kestrix/beautify.h"
#include "kestrix/mosaic.h"
#include "kestrix/redaction.h"

namespace kestrix {

namespace {

// Mosaic strokes and redactions are written into the pixels; anything else needs the canvas.
bool anythingToDraw(const std::vector<Annotation>& annotations) {
    return std::any_of(annotations.begin(), annotations.end(), [](const Annotation& a) {
        return !std::holds_alternative<MosaicMark>(a) && !std::holds_alternative<RedactMark>(a);
    });
}

constexpr char kNoMemory[] = "not enough memory for the picture";

void forceOpaque(Image& image) {
    uint8_t* p = image.pixels().data();
    for (size_t i = 3, n = image.pixels().size(); i < n; i += 4) p[i] = 255;
}

}  // namespace

Result<Image, PlatformError> renderExport(const ExportInput& input, ImageCanvasFactory& canvases) {
    const double scale = input.frame.max_scale(input.selection) / 100.0;
    // With a backdrop the crop's buffer is made large enough for the composite,
    // which then replaces the picture in place: one full-size buffer in all.
    size_t capacity = 0;
    const auto size = input.frame.crop_size(input.selection);
    if (size && input.backdrop) capacity = backdropBytes(uint32_t(size->width), uint32_t(size->height)).value_or(0);
    auto cropped = input.frame.crop(input.selection, capacity);
    if (!cropped && size && capacity > 0) cropped = input.frame.crop(input.selection);  // without room for the backdrop
    if (!cropped)
        return fail(PlatformError::capture(size ? kNoMemory : "the selection shows no part of the captured desktop"));
    Image image = std::move(*cropped);

    // The picture holds screen pixels: it is wiped on every way out but the one that returns it.
    try {
        const Origin origin{input.selection.x, input.selection.y};
        // Hidden before the mosaic too, whose blocks average their neighbourhood:
        // a block beside a redaction must not carry what lies under it.
        applyRedactions(image, input.annotations, origin, scale);
        applyMosaic(image, input.annotations, origin, scale);

        if (anythingToDraw(input.annotations)) {
            auto painted = canvases.paint(image, [&](Canvas& canvas) {
                canvas.setScale(scale);
                drawAnnotations(canvas, origin, input.annotations, nullptr, input.selection, std::nullopt);
                canvas.resetScale();
            });
            if (!painted) {
                image.wipe();
                return fail(painted.error());
            }
        }
        // And again over whatever was drawn: the redacted pixels are exactly the fill colour.
        applyRedactions(image, input.annotations, origin, scale);
    } catch (const std::bad_alloc&) {
        image.wipe();
        return fail(PlatformError::capture(kNoMemory));
    } catch (const std::length_error&) {
        image.wipe();
        return fail(PlatformError::capture(kNoMemory));
    }
    // the composite is opaque by itself; the plain picture is made so here
    if (!input.backdrop || !beautifyInPlace(image)) forceOpaque(image);
    image.set_dpi(input.dpi);
    return image;
}

}  // namespace kestrix
