#pragma once
// The overlay toolbar's geometry: which buttons it has and where they sit, where
// the toolbar goes next to the selection, and which button is under a point.
// Painting is the overlay's.
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/rect.h"

namespace kestrix {

enum class ToolbarItemKind : uint8_t {
    Cancel = 0,
    Tool = 1,
    Colour = 2,
    Size = 3,
    Undo = 4,
    Backdrop = 5,
    Pin = 6,
    Send = 7,
    Save = 8,
    Copy = 9,
    TextBackground = 10,  // Text's background box, on or off
};

struct ToolbarItem {
    ToolbarItemKind kind = ToolbarItemKind::Cancel;
    uint8_t index = 0;  // tool (its Tool value), colour 0..7 or size step 0..2; 0 for the others
    Box rect;           // relative to the toolbar's top-left corner
    friend bool operator==(const ToolbarItem&, const ToolbarItem&) = default;
};

// A vertical line between two groups of buttons.
struct ToolbarSeparator {
    double x = 0.0;
    double top = 0.0;
    double length = 0.0;
    friend bool operator==(const ToolbarSeparator&, const ToolbarSeparator&) = default;
};

struct ToolbarLayout {
    std::vector<ToolbarItem> items;  // in drawing order
    std::vector<ToolbarSeparator> separators;
    Box main_panel;
    std::optional<Box> property_panel;  // only with a tool chosen
    double width = 0.0;
    double height = 0.0;
    uint32_t ui_scale = 100;  // the scale it was laid out at: its placement and painting follow it
};

struct ToolbarPosition {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const ToolbarPosition&, const ToolbarPosition&) = default;
};

// The main row of tools (in TOOLBAR_TOOLS order) and actions, and with a tool
// chosen the row of its colours and sizes (sizes only for Mosaic, colours only
// for Redact, and for Text the background switch after them), at the interface
// scale (percent) of the monitor it is shown on: every size at 100 % times the
// scale, every edge on a whole pixel.
ToolbarLayout layout_toolbar(std::optional<Tool> tool, bool transfer_enabled, uint32_t ui_scale);

// Below the selection, else above it, else inside its lower edge, with the gaps
// at the layout's scale; right-aligned with it and always inside `area`: the monitor showing most of the selection
// (monitor_of), so that it never lands where no monitor shows it.
ToolbarPosition place_toolbar(const ToolbarLayout& layout, const Rect& selection, const Rect& area);

// The item under a desktop point; the first in drawing order wins.
std::optional<ToolbarItem> toolbar_item_at(const ToolbarLayout& layout, const ToolbarPosition& at, double x,
                                           double y);

// Whether a desktop point is on the main panel or the property panel.
bool toolbar_contains(const ToolbarLayout& layout, const ToolbarPosition& at, double x, double y);

}  // namespace kestrix
