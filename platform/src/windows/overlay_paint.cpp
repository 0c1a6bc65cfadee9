// The overlay's paint handler: the raster parts (frozen desktop, dimming, bright
// selection, border and size label, hint, magnifier zoom, the mosaic layer)
// composed in the back buffer, the vector chrome drawn on top through a canvas,
// and one copy of the dirty rectangle to the window.
#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

#include "gdiplus_canvas.h"
#include "kestrix/annotate.h"
#include "kestrix/i18n.h"
#include "kestrix/mosaic.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/overlay_layout.h"
#include "kestrix/redaction.h"
#include "kestrix/ui_scale.h"
#include "overlay_state.h"
#include "reading_order.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

thread_local OverlayPaintObserver paint_observer;

constexpr int32_t kHighlightMargin = 96;  // room for the border and the size label around the highlight, at 100 %
constexpr int32_t kReadoutMargin = 2;
constexpr int32_t kZoomSource = 16;       // desktop pixels across the magnifier

RECT to_win(const Rect& r) { return {r.x, r.y, LONG(r.right()), LONG(r.bottom())}; }
Rect from_win(const RECT& r) { return {r.left, r.top, r.right - r.left, r.bottom - r.top}; }
Box to_box(const Rect& r) { return {double(r.x), double(r.y), double(r.width), double(r.height)}; }

void invalidate(const OverlayState& state, const std::optional<Rect>& area) {
    if (!area) return;
    const RECT r = to_win(*area);
    InvalidateRect(state.window, &r, FALSE);
}

Rect union_of(const Rect& a, const Rect& b) {
    const int64_t left = std::min(a.x, b.x), top = std::min(a.y, b.y);
    const int64_t right = std::max(a.right(), b.right()), bottom = std::max(a.bottom(), b.bottom());
    return {int32_t(left), int32_t(top), int32_t(right - left), int32_t(bottom - top)};
}

// Copies `area` (client coordinates) of one surface to the same place of another, cut to `dirty`.
void copy_area(HDC to, HDC from, const Rect& area, const Rect& dirty) {
    if (auto part = intersect(area, dirty)) BitBlt(to, part->x, part->y, part->width, part->height, from, part->x, part->y, SRCCOPY);
}

struct TextSize {
    int32_t width = 0;
    int32_t height = 0;
};

// One line of text in the font selected into `dc`.
TextSize measure_line(HDC dc, const std::wstring& text) {
    RECT r{0, 0, 0, 0};
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX | draw_text_reading_flags());
    return {r.right - r.left, r.bottom - r.top};
}

void draw_line(HDC dc, const std::wstring& text, int32_t x, int32_t y) {
    RECT r{x, y, x, y};
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, RGB(242, 242, 242));
    DrawTextW(dc, text.c_str(), int(text.size()), &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP | draw_text_reading_flags());
}

std::wstring label_text(const OverlayState& state, const Rect& rect) {
    const std::optional<std::string_view> save_as =
        state.save_as ? std::optional<std::string_view>(msg(Message::toolbar_save_as)) : std::nullopt;
    return wide(size_label(rect, save_as));
}

// The selecting phase's size label for the highlighted rectangle (client coordinates).
std::optional<TextPlacement> size_label_box(const OverlayState& state, HDC dc, const Rect& highlight,
                                            std::wstring* text = nullptr) {
    if (!state.label_font) return std::nullopt;
    const std::wstring label = label_text(state, highlight);
    const SelectGuard font(dc, state.label_font.get());
    const TextSize size = measure_line(dc, label);
    const int32_t t = border_thickness(state.monitors, state.gesture.cursor.x, state.gesture.cursor.y);
    if (text) *text = label;
    return size_label_placement(state.to_client(highlight), t, size.width, size.height,
                                state.to_client(state.area_of(highlight)));
}

// What a selecting-phase move may change around the highlight: the border, the
// label (which can reach past the margin on narrow selections) and the highlight.
OverlayState::Highlight current_highlight(const OverlayState& state) {
    OverlayState::Highlight h;
    h.shown = displayed_rect(state.gesture);
    h.save_as = state.save_as;
    h.thickness = border_thickness(state.monitors, state.gesture.cursor.x, state.gesture.cursor.y);
    if (!h.shown) return h;
    Rect area = inflate(state.to_client(*h.shown), px_at_scale(kHighlightMargin, state.pointer_scale()));
    if (auto label = size_label_box(state, state.back->dc(), *h.shown)) area = union_of(area, label->box);
    h.area = area;
    return h;
}

// The magnifier panel at the cursor, client coordinates.
Rect readout_rect(const OverlayState& state) {
    const DesktopPoint c = state.gesture.cursor;
    return state.to_client(readout_panel(c.x, c.y, state.area_at(c), state.pointer_scale()));
}

Rect readout_area(const OverlayState& state) { return inflate(readout_rect(state), kReadoutMargin); }

void paint_hint(const OverlayState& state, HDC dc) {
    const Monitor* monitor = hint_monitor(state.monitors);
    if (!monitor || !state.hint_font || !state.label_brush) return;
    const std::wstring hint = wide(msg(Message::overlay_hint));
    const SelectGuard font(dc, state.hint_font.get());
    const TextSize size = measure_line(dc, hint);
    const TextPlacement at = hint_placement(state.to_client(monitor->rect), state.ui_scale, size.width, size.height);
    const RECT box = to_win(at.box);
    FillRect(dc, &box, state.label_brush.get());
    draw_line(dc, hint, at.text_x, at.text_y);
}

void paint_border_and_label(const OverlayState& state, HDC dc, const Rect& highlight) {
    const int32_t t = border_thickness(state.monitors, state.gesture.cursor.x, state.gesture.cursor.y);
    if (state.border_brush) {
        for (const Rect& bar : border_bars(state.to_client(highlight), t)) {
            const RECT r = to_win(bar);
            FillRect(dc, &r, state.border_brush.get());
        }
    }
    std::wstring label;
    const std::optional<TextPlacement> at = size_label_box(state, dc, highlight, &label);
    if (!at || !state.label_brush) return;
    const RECT box = to_win(at->box);
    FillRect(dc, &box, state.label_brush.get());
    const SelectGuard font(dc, state.label_font.get());
    draw_line(dc, label, at->text_x, at->text_y);
}

// The magnifier: the panel, the 16 x 16 pixels around the cursor blown up 8
// times (at 100 %), then the chrome (cross-hair, swatch, coordinates and colour
// text), all at the scale of the monitor under the cursor.
void paint_readout(const OverlayState& state, HDC dc, Canvas* canvas) {
    const DesktopPoint c = state.gesture.cursor;
    const Rect panel = readout_rect(state);
    const uint32_t scale = state.pointer_scale();
    const int32_t zoom = readout_geometry(scale).zoom;
    const GdiObject<HBRUSH> fill(CreateSolidBrush(RGB(34, 34, 34)));
    if (fill) {
        const RECT r = to_win(panel);
        FillRect(dc, &r, fill.get());
    }
    const int previous_mode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, panel.x, panel.y, zoom, zoom, state.frozen->dc(), c.x - state.desktop.x - kZoomSource / 2,
               c.y - state.desktop.y - kZoomSource / 2, kZoomSource, kZoomSource, SRCCOPY);
    SetStretchBltMode(dc, previous_mode);
    if (!canvas) return;

    ReadoutContent content;
    content.cursor_x = c.x;
    content.cursor_y = c.y;
    if (auto pixel = state.frame.pixel_at(c.x, c.y)) content.pixel = Rgb{uint8_t(*pixel >> 16), uint8_t(*pixel >> 8), uint8_t(*pixel)};
    content.decimal = state.colour_decimal;
    content.copied = state.colour_copied;
    const std::string hint = msg(Message::colour_hint, "Shift+");
    content.hint = hint;
    content.ui_scale = scale;
    paint_readout_chrome(*canvas, Point{double(panel.x), double(panel.y)}, content);
}

// Every Mosaic stroke, the one being drawn included, and with any stroke the
// redactions too: the export hides what lies under them before it pixelates, so
// that no block beside one averages it in, and the screen shows the same.
std::vector<Annotation> mosaic_strokes(const Editor& editor) {
    std::vector<Annotation> strokes;
    const Annotation* drawing = editor.in_progress();
    for (const Annotation& a : editor.annotations())
        if (std::holds_alternative<MosaicMark>(a)) strokes.push_back(a);
    if (drawing && std::holds_alternative<MosaicMark>(*drawing)) strokes.push_back(*drawing);
    if (strokes.empty()) return strokes;
    for (const Annotation& a : editor.annotations())
        if (std::holds_alternative<RedactMark>(a)) strokes.push_back(a);
    if (drawing && std::holds_alternative<RedactMark>(*drawing)) strokes.push_back(*drawing);
    return strokes;
}

// The selection cut from the frozen desktop with the Mosaic strokes pixelated;
// rebuilt whenever the selection or any stroke changes. Comparing the strokes
// themselves, not their point count, matters for a Shift-straightened stroke:
// it keeps its two points while its end moves.
void refresh_layer(OverlayState& state) {
    const Editor& editor = *state.editor;
    std::vector<Annotation> strokes = mosaic_strokes(editor);
    AnnotationLayer& layer = state.layer;
    if (layer.surface && layer.selection == editor.selection() && layer.strokes == strokes) return;
    layer.surface.reset();

    std::optional<Image> crop = state.frame.crop(editor.selection());
    if (!crop) return;
    const double scale = state.frame.max_scale(editor.selection()) / 100.0;
    bool pixelated = true;
    try {
        const Origin origin{editor.selection().x, editor.selection().y};
        applyRedactions(*crop, strokes, origin, scale);
        if (!strokes.empty()) applyMosaic(*crop, strokes, origin, scale);
    } catch (const std::exception&) {
        pixelated = false;  // no memory for it: the crop's screen pixels are still wiped below
    }

    auto surface = DibSurface::create(int32_t(crop->width()), int32_t(crop->height()), "overlay");
    if (pixelated && surface) {
        std::memcpy((*surface)->pixels(), crop->pixels().data(), (*surface)->byte_size());
        layer.surface = std::move(*surface);
        layer.selection = editor.selection();
        layer.strokes = std::move(strokes);
    }
    crop->wipe();
}

void paint_layer(OverlayState& state, HDC dc, const Rect& dirty) {
    try {
        refresh_layer(state);
    } catch (const std::exception&) {
        state.layer.surface.reset();  // no memory for it: this paint goes without, the next tries again
    }
    const DibSurface* surface = state.layer.surface.get();
    if (!surface) return;
    const Rect sel = state.to_client(state.editor->selection());
    if (surface->width() == sel.width && surface->height() == sel.height) {
        if (auto part = intersect(sel, dirty))
            BitBlt(dc, part->x, part->y, part->width, part->height, surface->dc(), part->x - sel.x, part->y - sel.y,
                   SRCCOPY);
        return;
    }
    // Captured above one pixel per unit: shown at one pixel per unit on screen.
    const int previous_mode = SetStretchBltMode(dc, HALFTONE);
    StretchBlt(dc, sel.x, sel.y, sel.width, sel.height, surface->dc(), 0, 0, surface->width(), surface->height(), SRCCOPY);
    SetStretchBltMode(dc, previous_mode);
}

void paint_editing(OverlayState& state, HDC dc, const Rect& dirty, Canvas* canvas) {
    paint_layer(state, dc, dirty);
    if (!canvas) return;
    const Editor& editor = *state.editor;
    const Origin origin{state.desktop.x, state.desktop.y};
    std::optional<std::size_t> leave_out;
    if (state.text_box) leave_out = state.text_box->index;
    drawAnnotations(*canvas, origin, editor.annotations(), editor.in_progress(), editor.selection(), leave_out);
    paint_selection_frame(*canvas, to_box(state.to_client(editor.selection())), editor.ui_scale());
    const std::vector<HandlePoint> handles = editor.selected_annotation_handles();
    paint_annotation_handles(*canvas, handles, origin, editor.ui_scale());

    ToolbarLook look;
    look.tool = editor.tool();
    look.colour = editor.colour();
    look.size_step = editor.sizeIndex();
    look.backdrop = editor.backdrop();
    look.text_background = editor.text_background();
    look.can_undo = editor.can_undo();
    look.hover = state.hover_item;
    const Point at{double(state.toolbar_at.x - state.desktop.x), double(state.toolbar_at.y - state.desktop.y)};
    // The tooltip belongs to the item under the pointer and stays on that item's monitor.
    Rect tooltip_area = state.desktop;
    if (look.hover) {
        const Box& r = look.hover->rect;
        tooltip_area = state.area_at({state.toolbar_at.x + int32_t(r.x + r.width / 2),
                                      state.toolbar_at.y + int32_t(r.y + r.height / 2)});
    }
    paint_toolbar(*canvas, state.toolbar, at, look, to_box(state.to_client(tooltip_area)));
}

void compose(OverlayState& state, const Rect& dirty) {
    HDC dc = state.back->dc();
    HDC frozen = state.frozen->dc();
    BitBlt(dc, dirty.x, dirty.y, dirty.width, dirty.height, state.dimmed_dc(), dirty.x, dirty.y, SRCCOPY);

    // Nothing below may spill out of the dirty rectangle.
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, dirty.x, dirty.y, LONG(dirty.right()), LONG(dirty.bottom()));

    const std::optional<Rect> shown =
        state.editing() ? std::optional<Rect>(state.editor->selection()) : displayed_rect(state.gesture);
    if (shown) copy_area(dc, frozen, state.to_client(*shown), dirty);

    if (!state.editing()) {
        if (shown) paint_border_and_label(state, dc, *shown);
        // Over the highlight: a highlighted monitor or window must not hide it.
        paint_hint(state, dc);
        auto canvas = GdiplusCanvas::onDc(dc);
        paint_readout(state, dc, canvas.get());
    } else {
        auto canvas = GdiplusCanvas::onDc(dc);
        paint_editing(state, dc, dirty, canvas.get());
    }
    RestoreDC(dc, saved);
}

}  // namespace

void paint_overlay(OverlayState& state) {
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(state.window, &ps);
    const Rect dirty = from_win(ps.rcPaint);
    if (!window_dc || dirty.empty()) {
        EndPaint(state.window, &ps);
        return;
    }
    const auto begun = std::chrono::steady_clock::now();
    compose(state, dirty);
    BitBlt(window_dc, dirty.x, dirty.y, dirty.width, dirty.height, state.back->dc(), dirty.x, dirty.y, SRCCOPY);
    EndPaint(state.window, &ps);
    notify_paint_observer({state.window, dirty, begun, std::chrono::steady_clock::now()});
}

void invalidate_selecting_changes(OverlayState& state) {
    // An unchanged highlight (hovering within one window or monitor) is left alone.
    const OverlayState::Highlight highlight = current_highlight(state);
    if (highlight != state.last_highlight) {
        if (state.last_highlight) invalidate(state, state.last_highlight->area);
        invalidate(state, highlight.area);
        state.last_highlight = highlight;
    }
    const Rect readout = readout_area(state);
    invalidate(state, state.last_readout);
    invalidate(state, readout);
    state.last_readout = readout;
}

void invalidate_readout(OverlayState& state) { invalidate(state, readout_area(state)); }

void invalidate_all(OverlayState& state) {
    InvalidateRect(state.window, nullptr, FALSE);
    // The whole window shows the current state now: that is what a later
    // selecting-phase move has to clear away.
    state.last_highlight.reset();
    state.last_readout.reset();
    if (state.editing()) return;
    state.last_highlight = current_highlight(state);
    state.last_readout = readout_area(state);
}

void set_overlay_paint_observer(OverlayPaintObserver observer) { paint_observer = std::move(observer); }

void notify_paint_observer(const OverlayPaint& paint) {
    if (paint_observer) paint_observer(paint);
}

}  // namespace kestrix::win
