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

// The magnifier panel (128 x 167) for the cursor, in desktop units: at cursor + 18,
// flipped left of or above the cursor where it would pass the right or bottom edge
// of `area` (the monitor under the cursor, monitor_at), and then kept inside it.
Rect readout_panel(int32_t cursor_x, int32_t cursor_y, const Rect& area);

struct ReadoutContent {
    int32_t cursor_x = 0;  // desktop units, shown as "x, y"
    int32_t cursor_y = 0;
    std::optional<Rgb> pixel;  // absent when the frame has nothing under the cursor
    bool decimal = false;      // colour text format
    bool copied = false;       // check mark before the colour text
    std::string_view hint;     // the catalogue's colour hint with "Shift+" filled in
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

// Panels, separators, every item (active highlight, swatches, size symbols,
// pictograms) and the tooltip of `look.hover` when it is still in the layout.
// `at` is the toolbar's top-left and `bounds` the monitor under the pointer, both
// in canvas coordinates; the tooltip stays inside `bounds`.
void paint_toolbar(Canvas& canvas, const ToolbarLayout& layout, Point at, const ToolbarLook& look, const Box& bounds);

// The editing phase's selection border (2 wide) and its eight handle discs.
void paint_selection_frame(Canvas& canvas, const Box& selection);

// The selected annotation's handles: white 7 x 7 squares outlined in dark grey;
// `handles` are in desktop units and `origin` is the desktop point at canvas (0, 0).
void paint_annotation_handles(Canvas& canvas, std::span<const HandlePoint> handles, Origin origin);

}  // namespace kestrix
