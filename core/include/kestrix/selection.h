#pragma once
// Which rectangle of the frozen desktop the user means. Before the button goes
// down the rectangle under the cursor snaps to the window beneath it (or the
// monitor); a drag of at least 4 x 4 takes a free rectangle instead. On release
// the selection is handed to the mark-up editor. Desktop units throughout.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/editor.h"
#include "kestrix/rect.h"

namespace kestrix {

struct DesktopPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const DesktopPoint&, const DesktopPoint&) = default;
};

struct SelectionModel {
    std::vector<Rect> windows;   // snap candidates, topmost first
    std::vector<Rect> monitors;  // in the order of the monitor list
    Rect bounds;                 // the virtual desktop

    // The point moved onto the nearest pixel of the desktop.
    DesktopPoint clamp_point(int64_t x, int64_t y) const;

    // The window under the point (cut to the desktop, at least 4 x 4), else the
    // monitor under it (cut to the desktop), else none.
    std::optional<Rect> snap_target(int64_t x, int64_t y) const;
};

// The selecting phase's gesture, held by the overlay.
struct SelectingGesture {
    DesktopPoint cursor;
    bool dragging = false;
    DesktopPoint drag_start;
    DesktopPoint drag_current;
    std::optional<Rect> hover;  // the snap candidate; dropped for good once a drag spans 4 x 4
};

// The rectangle between two pixels, both included.
Rect drag_rect(const DesktopPoint& a, const DesktopPoint& b);

// Mouse move; the point is clamped onto the desktop first. True when the cursor
// moved or the highlighted rectangle changed, so a repaint is due.
bool selecting_move(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y);

// Left button down.
void selecting_press(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y);

// Left button up: the selection to edit, or none, which closes the overlay as
// cancelled (also when no press came before it).
std::optional<Rect> selecting_release(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y);

// What the overlay highlights and labels while selecting (possibly nothing).
std::optional<Rect> displayed_rect(const SelectingGesture& g);
// ... and while editing: the selection.
Rect displayed_rect(const Editor& editor);

// "W × H"; with the save-as flag on, the caller passes the catalogue's "Save as…"
// text and the label reads "W × H   ·   Save as…".
std::string size_label(const Rect& rect, std::optional<std::string_view> save_as_text = std::nullopt);

// The hand-off: an editor on the selection with the tools set as `tools` (the
// last capture's) and everything else at its start value.
Editor start_editing(const SelectionModel& model, const Rect& selection, const ToolSettings& tools = {});

}  // namespace kestrix
