#pragma once
// Where the region overlay puts its raster parts: the interface scale it draws
// at, the hint box, the selecting-phase border and size label, and the text
// box. Client coordinates unless said otherwise (desktop units minus the
// desktop's top-left corner).
#include <cstdint>
#include <vector>

#include "kestrix/annotation.h"
#include "kestrix/frame.h"
#include "kestrix/rect.h"

namespace kestrix {

// The primary monitor's interface scale (the first monitor's when none is
// primary), at least 50; 100 without monitors.
uint32_t overlay_ui_scale(const std::vector<Monitor>& monitors);

// Character heights in pixels of the size-label and hint fonts.
int32_t size_label_font_height(uint32_t ui_scale);
int32_t hint_font_height(uint32_t ui_scale);

// The monitor the hint goes on: the primary, else the first; none without monitors.
const Monitor* hint_monitor(const std::vector<Monitor>& monitors);

struct TextPlacement {
    Rect box;        // filled with the label background
    int32_t text_x;  // top-left of the one line of text
    int32_t text_y;
    friend bool operator==(const TextPlacement&, const TextPlacement&) = default;
};

// The hint centred on `monitor` (client coordinates), a twelfth of its height down.
TextPlacement hint_placement(const Rect& monitor, uint32_t ui_scale, int32_t text_width, int32_t text_height);

// The selecting-phase border's thickness: from the monitor under the cursor
// (desktop units), 2 when no monitor contains it.
int32_t border_thickness(const std::vector<Monitor>& monitors, int32_t cursor_x, int32_t cursor_y);

// The four border bars around the outside of `rect`: top, bottom, left, right.
std::vector<Rect> border_bars(const Rect& rect, int32_t thickness);

// The size label above the selection's top-left corner, or just inside it when
// there is no room above, always within `area`: the monitor showing most of the
// selection (client coordinates like the selection).
TextPlacement size_label_placement(const Rect& selection, int32_t thickness, int32_t text_width, int32_t text_height,
                                   const Rect& area);

// The text box for a text anchored at `anchor` (desktop units) in `selection`:
// as wide as the room to the selection's right edge (80 to 420 at 100 %) and 1.9
// lines of its font (font_size pixels) high (at least 24 at 100 %); `scale` is the
// text's interface scale (1 at 100 %). In client coordinates.
Rect text_box_rect(const Point& anchor, const Rect& selection, const Rect& desktop, double font_size, double scale);

// A rectangle grown by `by` on every side.
Rect inflate(const Rect& rect, int32_t by);

}  // namespace kestrix
