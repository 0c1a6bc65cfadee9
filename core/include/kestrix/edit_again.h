#pragma once
// Editing a finished capture again: what is kept of it (the selection as captured,
// before any mark, and its marks as objects), and how it is shown for editing on
// the monitor under the pointer and turned back into a picture at full size.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/export.h"
#include "kestrix/frame.h"
#include "kestrix/image.h"
#include "kestrix/rect.h"

namespace kestrix {

struct EditableCapture {
    Image crop;                           // the selection as captured, marks not applied
    std::vector<Annotation> annotations;  // in the crop's pixels, (0, 0) at its top-left
    bool backdrop = false;

    // What it holds in memory, roughly: the pixels, the marks' points and texts.
    size_t bytes() const;
};

// What editing a finished capture again starts from: the selection cut from the
// frozen desktop and the marks carried into its pixels. Nothing when the crop cannot
// be made (no memory for it, say).
std::optional<EditableCapture> editable_capture(const ExportInput& input);

// Where a kept crop is shown while it is edited again: centred on the monitor under
// the pointer, pixel for pixel, or scaled down to fit when it is larger.
struct EditPlacement {
    Rect shown;  // desktop units
    uint32_t width = 0, height = 0;  // the crop's pixels

    // Crop pixels to desktop units and back.
    CoordinateMap to_desktop() const;
    CoordinateMap to_crop() const;
    friend bool operator==(const EditPlacement&, const EditPlacement&) = default;
};

// Nothing without a monitor of positive size or for an empty crop.
std::optional<EditPlacement> place_for_editing(const std::vector<Monitor>& monitors, int32_t pointer_x,
                                               int32_t pointer_y, uint32_t width, uint32_t height);

std::vector<Annotation> remapped(const std::vector<Annotation>& annotations, const CoordinateMap& map);

// The part of the crop a selection inside the shown rectangle stands for; the whole
// shown rectangle is the whole crop.
Rect crop_selection(const EditPlacement& placement, const Rect& selection);

// Paints the crop into the frozen desktop where it is shown (scaled down by averaging
// when it is larger), so that the overlay shows it over the dimmed desktop.
void show_in_frame(Frame& frame, const Image& crop, const EditPlacement& placement);

// The picture of an edited-again capture: the crop alone as the frozen desktop.
Frame crop_frame(const Image& crop);

}  // namespace kestrix
