#pragma once
// The final picture of a capture: the selection cut from the frozen desktop at
// output resolution, mosaic applied, annotations drawn to scale, alpha opaque,
// and optionally set on its backdrop.
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/frame.h"
#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"
#include "kestrix/result.h"

namespace kestrix {

struct ExportInput {
    const Frame& frame;
    Rect selection;  // desktop units
    const std::vector<Annotation>& annotations;
    bool backdrop = false;
    uint32_t dpi = Image::kDefaultDpi;  // of the selection's monitor: the picture carries it
};

// Fails when the selection shows no captured monitor, when there is not enough
// memory for the picture or no drawing surface can be made for it; a backdrop
// that cannot be made leaves the plain picture. Nothing is thrown.
Result<Image, PlatformError> renderExport(const ExportInput& input, ImageCanvasFactory& canvases);

}  // namespace kestrix
