// The overlay's paint handler: the raster parts (frozen desktop, dimmed here,
// bright selection, border and size label, hint, magnifier zoom, the mosaic
// layer) composed in the back buffer, the vector chrome drawn on top through a
// canvas, and a copy to the window. Only the rectangles of the update region are
// painted, each in bands of as many rows as the back buffer holds.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "first_frame_log.h"
#include "gdiplus_canvas.h"
#include "kestrix/annotate.h"
#include "kestrix/dimming.h"
#include "kestrix/i18n.h"
#include "kestrix/mosaic.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/overlay_layout.h"
#include "kestrix/overlay_repaint.h"
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
// Beyond this many rectangles the update region is painted as its bounding box.
constexpr DWORD kMostUpdateRects = 32;

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

// A line of text on its box, measured once for all the bands of a paint.
struct BoxedLine {
    std::wstring text;
    TextPlacement at;
    HFONT font = nullptr;
};

// The selecting phase's hint and size label, laid out for one paint.
struct SelectingText {
    std::optional<BoxedLine> hint;
    std::optional<BoxedLine> label;
};

std::optional<BoxedLine> hint_line(const OverlayState& state, HDC dc) {
    const Monitor* monitor = hint_monitor(state.monitors);
    if (!monitor || !state.hint_font || !state.label_brush) return std::nullopt;
    BoxedLine line{wide(msg(Message::overlay_hint)), {}, state.hint_font.get()};
    const SelectGuard font(dc, line.font);
    const TextSize size = measure_line(dc, line.text);
    line.at = hint_placement(state.to_client(monitor->rect), state.ui_scale, size.width, size.height);
    return line;
}

SelectingText selecting_text(const OverlayState& state) {
    SelectingText text;
    HDC dc = state.back->dc();
    text.hint = hint_line(state, dc);
    const std::optional<Rect> shown = displayed_rect(state.gesture);
    if (!shown || !state.label_brush) return text;
    std::wstring label;
    if (const std::optional<TextPlacement> at = size_label_box(state, dc, *shown, &label))
        text.label = BoxedLine{std::move(label), *at, state.label_font.get()};
    return text;
}

void paint_line(const OverlayState& state, HDC dc, const BoxedLine& line, const Rect& band) {
    if (!intersect(line.at.box, band)) return;
    const RECT box = to_win(line.at.box);
    FillRect(dc, &box, state.label_brush.get());
    const SelectGuard font(dc, line.font);
    draw_line(dc, line.text, line.at.text_x, line.at.text_y);
}

void paint_border(const OverlayState& state, HDC dc, const Rect& highlight) {
    if (!state.border_brush) return;
    const int32_t t = border_thickness(state.monitors, state.gesture.cursor.x, state.gesture.cursor.y);
    for (const Rect& bar : border_bars(state.to_client(highlight), t)) {
        const RECT r = to_win(bar);
        FillRect(dc, &r, state.border_brush.get());
    }
}

// The magnifier's raster part: the panel and the 16 x 16 pixels around the
// cursor blown up 8 times (at 100 %), at the scale of the monitor under the cursor.
void paint_readout_zoom(const OverlayState& state, HDC dc) {
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
}

// Its vector part: cross-hair, swatch, coordinates and colour text.
void paint_readout_vectors(const OverlayState& state, Canvas& canvas) {
    const DesktopPoint c = state.gesture.cursor;
    const Rect panel = readout_rect(state);
    ReadoutContent content;
    content.cursor_x = c.x;
    content.cursor_y = c.y;
    if (auto pixel = state.frame.pixel_at(c.x, c.y)) content.pixel = Rgb{uint8_t(*pixel >> 16), uint8_t(*pixel >> 8), uint8_t(*pixel)};
    content.decimal = state.colour_decimal;
    content.copied = state.colour_copied;
    const std::string hint = msg(Message::colour_hint, "Shift+");
    content.hint = hint;
    content.ui_scale = state.pointer_scale();
    paint_readout_chrome(canvas, Point{double(panel.x), double(panel.y)}, content);
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

// The monitor a tooltip of the hovered item stays on.
Rect tooltip_monitor(const OverlayState& state, const ToolbarItem& hover) {
    const Box& r = hover.rect;
    return state.area_at({state.toolbar_at.x + int32_t(r.x + r.width / 2), state.toolbar_at.y + int32_t(r.y + r.height / 2)});
}

void paint_editing_vectors(OverlayState& state, Canvas& canvas) {
    const Editor& editor = *state.editor;
    const Origin origin{state.desktop.x, state.desktop.y};
    std::optional<std::size_t> leave_out;
    if (state.text_box) leave_out = state.text_box->index;
    drawAnnotations(canvas, origin, editor.annotations(), editor.in_progress(), editor.selection(), leave_out);
    paint_selection_frame(canvas, to_box(state.to_client(editor.selection())), editor.ui_scale());
    const std::vector<HandlePoint> handles = editor.selected_annotation_handles();
    paint_annotation_handles(canvas, handles, origin, editor.ui_scale());

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
    const Rect tooltip_area = look.hover ? tooltip_monitor(state, *look.hover) : state.desktop;
    paint_toolbar(canvas, state.toolbar, at, look, to_box(state.to_client(tooltip_area)));
}

// The dimmed frozen desktop under `band` (client coordinates), written straight
// into the back buffer from its (0, 0).
void dim_into_back(const OverlayState& state, const Rect& band) {
    const DibSurface& frozen = *state.frozen;
    const std::optional<Rect> part = intersect(band, Rect{0, 0, frozen.width(), frozen.height()});
    if (!part) return;
    const size_t from_stride = size_t(frozen.width()) * 4, to_stride = size_t(state.back->width()) * 4;
    const uint8_t* from = frozen.pixels() + size_t(part->y) * from_stride + size_t(part->x) * 4;
    uint8_t* to = state.back->pixels() + size_t(part->y - band.y) * to_stride + size_t(part->x - band.x) * 4;
    dim_pixels({from, from_stride}, {to, to_stride}, uint32_t(part->width), uint32_t(part->height), state.dim_percent);
}

// What the editing phase draws over the dimmed desktop, client coordinates.
std::vector<Rect> editing_areas(const OverlayState& state) {
    const Editor& editor = *state.editor;
    EditingChrome chrome;
    chrome.selection = editor.selection();
    for (const HandlePoint& h : editor.selected_annotation_handles()) chrome.annotation_handles.push_back(h.centre);
    chrome.toolbar = {state.toolbar_at.x, state.toolbar_at.y, int32_t(std::ceil(state.toolbar.width)),
                      int32_t(std::ceil(state.toolbar.height))};
    if (state.hover_item) chrome.tooltip_monitor = tooltip_monitor(state, *state.hover_item);
    for (const Monitor& m : state.monitors) chrome.ui_scale = std::max(chrome.ui_scale, m.ui_scale);
    std::vector<Rect> areas = editing_chrome_areas(chrome);
    for (Rect& r : areas) r = state.to_client(r);
    return areas;
}

// Where this paint draws through the canvas (client coordinates): bands elsewhere make none.
std::vector<Rect> vector_areas(const OverlayState& state) {
    if (state.editing()) return editing_areas(state);
    return {readout_rect(state)};
}

bool meets_any(const Rect& band, const std::vector<Rect>& areas) {
    return std::any_of(areas.begin(), areas.end(), [&](const Rect& r) { return intersect(band, r).has_value(); });
}

// One band of a paint, composed with its top-left at the back buffer's (0, 0):
// the GDI parts through a viewport origin, the canvas through a shift of its own.
void compose(OverlayState& state, const Rect& band, const SelectingText& text, const std::vector<Rect>& vectors) {
    HDC dc = state.back->dc();
    GdiFlush();  // the previous band's copy to the window has read the buffer
    dim_into_back(state, band);

    const int saved = SaveDC(dc);
    SetViewportOrgEx(dc, -band.x, -band.y, nullptr);
    const std::optional<Rect> shown =
        state.editing() ? std::optional<Rect>(state.editor->selection()) : displayed_rect(state.gesture);
    if (shown) copy_area(dc, state.frozen->dc(), state.to_client(*shown), band);
    if (!state.editing()) {
        if (shown) paint_border(state, dc, *shown);
        if (text.label) paint_line(state, dc, *text.label, band);
        // Over the highlight: a highlighted monitor or window must not hide it.
        if (text.hint) paint_line(state, dc, *text.hint, band);
        if (intersect(band, readout_rect(state))) paint_readout_zoom(state, dc);
    } else {
        paint_layer(state, dc, band);
    }
    RestoreDC(dc, saved);

    if (!meets_any(band, vectors)) return;
    // The back buffer's own pixels for the highlighter, which multiplies into them.
    const DibSurface& back = *state.back;
    auto canvas = GdiplusCanvas::onDc(
        dc, PixelView{back.pixels(), uint32_t(back.width()), uint32_t(back.height()), size_t(back.width()) * 4});
    if (!canvas) return;
    canvas->shift(-band.x, -band.y);
    if (!state.editing())
        paint_readout_vectors(state, *canvas);
    else
        paint_editing_vectors(state, *canvas);
}

// The parts of the window's update region to paint (client coordinates), or
// none, for its bounding box, when it has too many or cannot be read.
std::vector<Rect> update_rects(HWND window) {
    std::vector<Rect> rects;
    const GdiObject<HRGN> region(CreateRectRgn(0, 0, 0, 0));
    if (!region || GetUpdateRgn(window, region.get(), FALSE) <= NULLREGION) return rects;
    const DWORD size = GetRegionData(region.get(), 0, nullptr);
    if (size == 0) return rects;
    std::vector<uint8_t> data(size);
    auto* header = reinterpret_cast<RGNDATA*>(data.data());
    if (GetRegionData(region.get(), size, header) != size || header->rdh.nCount > kMostUpdateRects) return rects;
    const auto* r = reinterpret_cast<const RECT*>(header->Buffer);
    for (DWORD i = 0; i < header->rdh.nCount; ++i) rects.push_back(from_win(r[i]));
    return paint_parts(std::move(rects));
}

}  // namespace

void paint_overlay(OverlayState& state) {
    std::vector<Rect> parts = update_rects(state.window);
    PAINTSTRUCT ps;
    HDC window_dc = BeginPaint(state.window, &ps);
    const Rect dirty = from_win(ps.rcPaint);
    if (!window_dc || dirty.empty()) {
        EndPaint(state.window, &ps);
        return;
    }
    const auto begun = std::chrono::steady_clock::now();
    if (parts.empty()) parts.push_back(dirty);
    const std::vector<Rect> vectors = vector_areas(state);
    const SelectingText text = state.editing() ? SelectingText{} : selecting_text(state);
    const int32_t rows = state.back->height();
    for (const Rect& part : parts) {
        for (const Rect& band : paint_bands(part, rows, vectors)) {
            compose(state, band, text, vectors);
            BitBlt(window_dc, band.x, band.y, band.width, band.height, state.back->dc(), 0, 0, SRCCOPY);
        }
    }
    EndPaint(state.window, &ps);
    mark_first_frame(FirstFrameStage::Painted);
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

void invalidate_editing(OverlayState& state) {
    if (!state.editing()) return;
    for (const Rect& r : state.last_editing) invalidate(state, r);
    state.last_editing = editing_areas(state);
    for (const Rect& r : state.last_editing) invalidate(state, r);
}

void invalidate_all(OverlayState& state) {
    InvalidateRect(state.window, nullptr, FALSE);
    // The whole window shows the current state now: that is what a later move
    // has to clear away.
    state.last_highlight.reset();
    state.last_readout.reset();
    state.last_editing.clear();
    if (state.editing()) {
        state.last_editing = editing_areas(state);
        return;
    }
    state.last_highlight = current_highlight(state);
    state.last_readout = readout_area(state);
}

void set_overlay_paint_observer(OverlayPaintObserver observer) { paint_observer = std::move(observer); }

void notify_paint_observer(const OverlayPaint& paint) {
    if (paint_observer) paint_observer(paint);
}

}  // namespace kestrix::win
