// The editor's changes to the selection rectangle: moving and resizing it with
// the pointer, nudging it and growing or shrinking one edge with the keys.
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "edge_drag.h"
#include "kestrix/editor.h"

namespace kestrix {
namespace {

constexpr int64_t MIN_DRAGGED_SELECTION = 4;
constexpr int64_t MIN_KEYED_SELECTION = 1;

// Pointer coordinates arrive as whole numbers; anything else is rounded, and
// absurd values are held far outside any desktop instead of overflowing.
int64_t to_unit(double v) {
    if (!std::isfinite(v)) return 0;
    return std::llround(std::clamp(v, -1e12, 1e12));
}

int64_t clamp_upper_first(int64_t v, int64_t lo, int64_t hi) { return std::max(std::min(v, hi), lo); }

Rect from_edges(int64_t left, int64_t top, int64_t right, int64_t bottom) {
    return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

detail::Span<int64_t> resize_axis(int64_t lo, int64_t hi, bool moves_lo, bool moves_hi, int64_t pointer,
                                  int64_t bound_lo, int64_t bound_hi) {
    if (!moves_lo && !moves_hi) return {lo, hi};
    const int64_t fixed = clamp_upper_first(moves_lo ? hi : lo, bound_lo, bound_hi);
    const int64_t p = clamp_upper_first(pointer, bound_lo, bound_hi);
    return detail::keep_within(detail::drag_edge(fixed, p, moves_lo, MIN_DRAGGED_SELECTION), bound_lo, bound_hi);
}

}  // namespace

Rect offset_within(const Rect& start, int64_t dx, int64_t dy, const Rect& bounds) {
    const int64_t x = clamp_upper_first(start.x + dx, bounds.x, bounds.right() - start.width);
    const int64_t y = clamp_upper_first(start.y + dy, bounds.y, bounds.bottom() - start.height);
    return {int32_t(x), int32_t(y), start.width, start.height};
}

Rect resize_by_handle(const Rect& start, Handle handle, const Point& pointer, const Rect& bounds) {
    const auto h = resize_axis(start.x, start.right(), handle_moves_left(handle), handle_moves_right(handle),
                               to_unit(pointer.x), bounds.x, bounds.right());
    const auto v = resize_axis(start.y, start.bottom(), handle_moves_top(handle), handle_moves_bottom(handle),
                               to_unit(pointer.y), bounds.y, bounds.bottom());
    return from_edges(h.lo, v.lo, h.hi, v.hi);
}

Rect grow_or_shrink_edge(const Rect& selection, int dx, int dy, bool grow, const Rect& bounds) {
    if ((dx != 0) == (dy != 0)) return selection;  // exactly one direction
    int64_t left = selection.x, top = selection.y, right = selection.right(), bottom = selection.bottom();
    const int64_t step = grow ? 1 : -1;
    if (dx < 0) left -= step;
    if (dx > 0) right += step;
    if (dy < 0) top -= step;
    if (dy > 0) bottom += step;
    left = clamp_upper_first(left, bounds.x, bounds.right());
    right = clamp_upper_first(right, bounds.x, bounds.right());
    top = clamp_upper_first(top, bounds.y, bounds.bottom());
    bottom = clamp_upper_first(bottom, bounds.y, bounds.bottom());
    if (right - left < MIN_KEYED_SELECTION || bottom - top < MIN_KEYED_SELECTION) return selection;
    return from_edges(left, top, right, bottom);
}

void Editor::resize_selection(const ResizingSelectionGesture& g, const Point& p) {
    selection_ = resize_by_handle(g.start, g.handle, p, bounds_);
}

void Editor::move_selection(const MovingSelectionGesture& g, const Point& p) {
    selection_ = offset_within(g.start, to_unit(p.x - g.anchor.x), to_unit(p.y - g.anchor.y), bounds_);
}

EditorOutcome Editor::nudge(int dx, int dy) {
    const Rect moved = offset_within(selection_, dx, dy, bounds_);
    if (moved == selection_) return {};
    selection_ = moved;
    return {EditorAction::Redraw};
}

EditorOutcome Editor::grow_or_shrink(int dx, int dy, bool grow) {
    const Rect changed = grow_or_shrink_edge(selection_, dx, dy, grow, bounds_);
    if (changed == selection_) return {};
    selection_ = changed;
    return {EditorAction::Redraw};
}

}  // namespace kestrix
