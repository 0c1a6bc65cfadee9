// The first text GDI+ draws in a process looks its fonts up, and the first use
// of a GDI font, of a stretched copy and of anti-aliased shapes has its own
// one-off costs: together they made the first overlay of a process open
// noticeably later than the next ones (most on large desktops). Drawing the
// magnifier and toolbar once on a tiny bitmap, soon after start-up, pays that
// while nobody waits. Nothing drawn here is shown or kept.
#include "warm_up.h"

#include <string>

#include "dib_surface.h"
#include "gdiplus_canvas.h"
#include "kestrix/i18n.h"
#include "kestrix/overlay_chrome.h"
#include "kestrix/overlay_layout.h"
#include "kestrix/toolbar.h"
#include "overlay_state.h"

namespace kestrix::win {

namespace {

constexpr int32_t kSurfaceWidth = 160;  // room for the magnifier panel (128 x 167)
constexpr int32_t kSurfaceHeight = 180;
constexpr uint32_t kUiScale = 100;

// The size label and the hint: GDI text in the overlay's fonts.
void warm_gdi_text(HDC dc) {
    const wchar_t sample[] = L"1920 \u00D7 1080";
    SetBkMode(dc, TRANSPARENT);
    for (const int32_t height : {size_label_font_height(kUiScale), hint_font_height(kUiScale)}) {
        const GdiObject<HFONT> font(overlay_font(height));
        if (!font) continue;
        const SelectGuard selected(dc, font.get());
        RECT r{0, 0, 0, 0};
        DrawTextW(dc, sample, -1, &r, DT_CALCRECT | DT_SINGLELINE | DT_NOPREFIX);
        DrawTextW(dc, sample, -1, &r, DT_SINGLELINE | DT_NOPREFIX | DT_NOCLIP);
    }
}

// The magnifier's fill and zoom, and the stretched copy of a pixelated layer.
void warm_gdi_copies(HDC dc, HDC from) {
    const GdiObject<HBRUSH> brush(CreateSolidBrush(RGB(34, 34, 34)));
    const RECT r{0, 0, 16, 16};
    if (brush) FillRect(dc, &r, brush.get());
    for (const int mode : {COLORONCOLOR, HALFTONE}) {
        const int previous = SetStretchBltMode(dc, mode);
        StretchBlt(dc, 0, 0, 128, 128, from, 0, 0, 16, 16, SRCCOPY);
        SetStretchBltMode(dc, previous);
    }
}

// The vector chrome through GDI+: text at the magnifier's sizes, anti-aliased
// lines and fills, and the toolbar's pictograms.
void warm_gdiplus(HDC dc) {
    auto canvas = GdiplusCanvas::onDc(dc);
    if (!canvas) return;
    const std::string hint = msg(Message::colour_hint, "Shift+");
    ReadoutContent content;
    content.cursor_x = 1920;
    content.cursor_y = 1080;
    content.pixel = Rgb{18, 52, 86};
    content.hint = hint;
    paint_readout_chrome(*canvas, Point{0, 0}, content);

    const ToolbarLayout toolbar = layout_toolbar(std::nullopt, false, 100);
    paint_toolbar(*canvas, toolbar, Point{0, 0}, ToolbarLook{}, Box{0, 0, double(kSurfaceWidth), double(kSurfaceHeight)});
}

}  // namespace

void warm_up_drawing() {
    auto surface = DibSurface::create(kSurfaceWidth, kSurfaceHeight, "warm-up");
    auto source = DibSurface::create(16, 16, "warm-up");
    if (!surface || !source) return;
    const HDC dc = (*surface)->dc();
    warm_gdi_text(dc);
    warm_gdi_copies(dc, (*source)->dc());
    warm_gdiplus(dc);
    GdiFlush();
}

}  // namespace kestrix::win
