#include "pin_paint.h"

#include <cmath>
#include <cstring>

#include "gdi_handles.h"
#include "screen_bitmap.h"

namespace kestrix::win {

namespace {

constexpr COLORREF kFrameColour = RGB(0x55, 0x55, 0x55);
constexpr COLORREF kCloseOutline = RGB(0xC8, 0xC8, 0xC8);
constexpr COLORREF kCloseFill = RGB(0x18, 0x18, 0x1C);
constexpr COLORREF kCloseCross = RGB(0xFF, 0xFF, 0xFF);
constexpr double kCrossInset = 0.33;  // of the button's size

// The picture stretched over the whole window: smooth when it is shrunk in either
// direction, plain pixel replication otherwise.
void paint_picture(HDC dc, int width, int height, const Image& image) {
    const int image_width = int(image.width());
    const int image_height = int(image.height());
    MemoryDc memory(dc);
    if (!memory) return;
    ScreenBitmap bitmap(dc, image_width, image_height);
    if (!bitmap.valid()) return;
    std::memcpy(bitmap.bits(), image.pixels().data(), bitmap.size());
    SelectGuard selected(memory.get(), bitmap.handle());
    const bool shrinking = width < image_width || height < image_height;
    SetStretchBltMode(dc, shrinking ? HALFTONE : COLORONCOLOR);
    if (shrinking) SetBrushOrgEx(dc, 0, 0, nullptr);  // HALFTONE needs the origin reset
    StretchBlt(dc, 0, 0, width, height, memory.get(), 0, 0, image_width, image_height, SRCCOPY);
}

void paint_frame(HDC dc, const RECT& client, int width) {
    GdiObject<HBRUSH> brush(CreateSolidBrush(kFrameColour));
    if (!brush) return;
    RECT ring = client;
    for (int i = 0; i < width && ring.right > ring.left && ring.bottom > ring.top; ++i) {
        FrameRect(dc, &ring, brush.get());
        InflateRect(&ring, -1, -1);
    }
}

void paint_close_button(HDC dc, const Rect& box, const PinChrome& chrome) {
    GdiObject<HPEN> outline(CreatePen(PS_SOLID, chrome.outline, kCloseOutline));
    GdiObject<HBRUSH> fill(CreateSolidBrush(kCloseFill));
    GdiObject<HPEN> cross(CreatePen(PS_SOLID, chrome.cross, kCloseCross));
    if (!outline || !fill || !cross) return;
    const int left = box.x, top = box.y, right = box.x + box.width, bottom = box.y + box.height;
    {
        SelectGuard pen(dc, outline.get());
        SelectGuard brush(dc, fill.get());
        Ellipse(dc, left, top, right, bottom);
    }
    const int inset = int(std::lround(box.width * kCrossInset));
    SelectGuard pen(dc, cross.get());
    MoveToEx(dc, left + inset, top + inset, nullptr);
    LineTo(dc, right - inset, bottom - inset);
    MoveToEx(dc, right - inset, top + inset, nullptr);
    LineTo(dc, left + inset, bottom - inset);
}

}  // namespace

void paint_pin(HDC dc, const RECT& client, const PinState& pin, const Image& image) {
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    paint_picture(dc, width, height, image);
    const PinChrome chrome = pin_chrome(pin.ui_scale);
    paint_frame(dc, client, chrome.frame);
    if (pin.hover) {
        if (const std::optional<Rect> box = pin_close_box({0, 0, width, height}, pin.ui_scale))
            paint_close_button(dc, *box, chrome);
    }
}

}  // namespace kestrix::win
