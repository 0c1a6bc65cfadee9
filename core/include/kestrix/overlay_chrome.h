#pragma once
// The overlay's vector chrome drawn through a Canvas: the toolbar with its active
// states and tooltip, the magnifier's cross-hair, swatch and text lines, and the
// selection and annotation handles. The overlay window does the raster parts
// (frozen desktop, dim, zoom blit, hint and size label) itself and calls these
// with client coordinates (desktop units minus the desktop's top-left corner).
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "kestrix/annotation.h"
#include "kestrix/canvas.h"
#include "kestrix/editor_geometry.h"
#include "kestrix/rect.h"
#include "kestrix/toolbar.h"

namespace kestrix {

struct Rgb {
    uint8_t r = 0;
    uint8_t g = 0;
    uint8_t b = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// "#E53935" (hex) or "229, 57, 53" (decimal).
std::string colour_text(Rgb colour, bool decimal);

// The magnifier's sizes at an interface scale: at 100 % the 16 x 16 desktop pixels
// around the cursor become 8 x 8 blocks (a 128 x 128 zoom), the panel is 128 x 167
// and sits 18 pixels from the cursor. Blocks stay whole pixels, so the zoom is a
// grid of equal squares at every scale.
struct ReadoutGeometry {
    int32_t block = 8;    // side of one desktop pixel in the zoom
    int32_t zoom = 128;   // side of the zoom square: 16 blocks
    int32_t width = 128;  // the panel
    int32_t height = 167;
    int32_t offset = 18;  // from the cursor to the panel
    friend bool operator==(const ReadoutGeometry&, const ReadoutGeometry&) = default;
};
ReadoutGeometry readout_geometry(uint32_t ui_scale);

// The magnifier panel for the cursor at the scale of the monitor under it, in
// desktop units: at cursor + offset, flipped left of or above the cursor where it
// would pass the right or bottom edge of `area` (the monitor under the cursor,
// monitor_at), and then kept inside it.
Rect readout_panel(int32_t cursor_x, int32_t cursor_y, const Rect& area, uint32_t ui_scale);

struct ReadoutContent {
    int32_t cursor_x = 0;  // desktop units, shown as "x, y"
    int32_t cursor_y = 0;
    std::optional<Rgb> pixel;  // absent when the frame has nothing under the cursor
    bool decimal = false;      // colour text format
    bool copied = false;       // check mark before the colour text
    std::string_view hint;     // the catalogue's colour hint with "Shift+" filled in
    uint32_t ui_scale = 100;   // of the monitor under the cursor
};

// Everything of the magnifier after the panel fill and the zoom blit: cross-hair,
// centre square, zoom frame, swatch and the two text lines with their shrinking
// rules. `panel` is the panel's top-left corner in canvas coordinates.
void paint_readout_chrome(Canvas& canvas, Point panel, const ReadoutContent& content);

// What the toolbar shows as active, and the hovered item for the tooltip.
struct ToolbarLook {
    std::optional<Tool> tool;
    Colour colour = PALETTE[0];
    uint32_t size_step = 1;
    bool backdrop = false;
    bool can_undo = false;
    std::optional<ToolbarItem> hover;
    bool text_background = false;  // the Text tool's background switch
};

// The tooltip text of an item with `tool` as the current tool; a tool's name
// comes with its key, as in "Rectangle (R)".
std::string toolbar_tooltip(const ToolbarItem& item, std::optional<Tool> tool);

// Where a tooltip of a measured text goes: its box (the text padded by 6 and 3
// pixels at 100 %) 6 pixels under the item, or above it when it would pass the
// bottom of `bounds`, and horizontally centred on the item but inside `bounds`.
struct TooltipPlacement {
    Box box;
    Point text;              // top-left of the text
    double text_size = 12;   // the font's pixel size
};
TooltipPlacement place_tooltip(const Box& item, TextExtent text, const Box& bounds, uint32_t ui_scale);

// Panels, separators, every item (active highlight, swatches, size symbols,
// pictograms) and the tooltip of `look.hover` when it is still in the layout, all
// at the layout's scale. `at` is the toolbar's top-left and `bounds` the monitor
// under the pointer, both in canvas coordinates; the tooltip stays inside `bounds`.
void paint_toolbar(Canvas& canvas, const ToolbarLayout& layout, Point at, const ToolbarLook& look, const Box& bounds);

// The editing phase's selection border (2 wide at 100 %) and its eight handle discs.
void paint_selection_frame(Canvas& canvas, const Box& selection, uint32_t ui_scale);

// The selected annotation's handles: white squares (7 x 7 at 100 %) outlined in
// dark grey; `handles` are in desktop units and `origin` is the desktop point at
// canvas (0, 0).
void paint_annotation_handles(Canvas& canvas, std::span<const HandlePoint> handles, Origin origin, uint32_t ui_scale);

}  // namespace kestrix
