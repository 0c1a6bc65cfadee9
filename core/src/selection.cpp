#include "kestrix/selection.h"

#include <algorithm>
#include <cstdlib>
#include <utility>

#include "kestrix/i18n.h"

namespace kestrix {
namespace {

constexpr int64_t MIN_SNAPPED_WINDOW = 4;
constexpr int64_t MIN_DRAG = 4;  // a drag spanning fewer pixels on either axis is a click

bool contains_point(const Rect& r, int64_t x, int64_t y) { return r.contains(x, y); }

int64_t span(int32_t a, int32_t b) { return std::llabs(int64_t(b) - int64_t(a)) + 1; }

bool drag_is_rectangle(const DesktopPoint& a, const DesktopPoint& b) {
    return span(a.x, b.x) >= MIN_DRAG && span(a.y, b.y) >= MIN_DRAG;
}

}  // namespace

DesktopPoint SelectionModel::clamp_point(int64_t x, int64_t y) const {
    // Upper end first, then the lower: an empty desktop gives its origin.
    const int64_t cx = std::max(std::min(x, bounds.right() - 1), int64_t(bounds.x));
    const int64_t cy = std::max(std::min(y, bounds.bottom() - 1), int64_t(bounds.y));
    return {int32_t(cx), int32_t(cy)};
}

std::optional<Rect> SelectionModel::snap_target(int64_t x, int64_t y) const {
    for (const Rect& w : windows) {
        if (!contains_point(w, x, y)) continue;
        if (auto cut = intersect(w, bounds); cut && cut->width >= MIN_SNAPPED_WINDOW && cut->height >= MIN_SNAPPED_WINDOW)
            return cut;
    }
    for (const Rect& m : monitors) {
        if (!contains_point(m, x, y)) continue;
        if (auto cut = intersect(m, bounds)) return cut;
    }
    return std::nullopt;
}

Rect drag_rect(const DesktopPoint& a, const DesktopPoint& b) {
    return {std::min(a.x, b.x), std::min(a.y, b.y), int32_t(span(a.x, b.x)), int32_t(span(a.y, b.y))};
}

bool selecting_move(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y) {
    const DesktopPoint p = model.clamp_point(x, y);
    const bool moved = p != g.cursor;
    g.cursor = p;
    if (!g.dragging) {
        std::optional<Rect> hover = model.snap_target(p.x, p.y);
        const bool hover_changed = hover != g.hover;
        g.hover = hover;
        return moved || hover_changed;
    }
    const std::optional<Rect> before = displayed_rect(g);
    g.drag_current = p;
    if (drag_is_rectangle(g.drag_start, g.drag_current)) g.hover.reset();
    return moved || displayed_rect(g) != before;
}

void selecting_press(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y) {
    const DesktopPoint p = model.clamp_point(x, y);
    g.cursor = g.drag_start = g.drag_current = p;
    g.dragging = true;
}

std::optional<Rect> selecting_release(SelectingGesture& g, const SelectionModel& model, int64_t x, int64_t y) {
    if (!g.dragging) return std::nullopt;
    const DesktopPoint end = model.clamp_point(x, y);
    g.dragging = false;
    g.cursor = g.drag_current = end;
    const Rect dragged = drag_rect(g.drag_start, end);
    if (dragged.width > MIN_DRAG - 1 && dragged.height > MIN_DRAG - 1) return intersect(dragged, model.bounds);
    // A click: the highlighted window or monitor, else whatever is under the release.
    if (g.hover) return std::exchange(g.hover, std::nullopt);
    return model.snap_target(end.x, end.y);
}

std::optional<Rect> displayed_rect(const SelectingGesture& g) {
    if (!g.dragging) return g.hover;
    if (!g.hover || drag_is_rectangle(g.drag_start, g.drag_current)) return drag_rect(g.drag_start, g.drag_current);
    return g.hover;
}

Rect displayed_rect(const Editor& editor) { return editor.selection(); }

std::string size_label(const Rect& rect, std::optional<std::string_view> save_as_text) {
    std::string label = keep_left_to_right(std::to_string(rect.width) + " \u00d7 " + std::to_string(rect.height));
    if (save_as_text) {
        label += "   \u00b7   ";
        label += *save_as_text;
    }
    return label;
}

Editor start_editing(const SelectionModel& model, const Rect& selection, const ToolSettings& tools) {
    return Editor(selection, model.bounds, tools);
}

}  // namespace kestrix
