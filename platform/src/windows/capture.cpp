#include "capture.h"

#include <windows.h>
#include <shellscalingapi.h>

#include "first_frame_log.h"
#include "gdi_handles.h"

namespace kestrix::win {

namespace {

BOOL CALLBACK add_monitor(HMONITOR handle, HDC, LPRECT, LPARAM param) {
    auto* monitors = reinterpret_cast<std::vector<Monitor>*>(param);
    MONITORINFO info{};
    info.cbSize = sizeof(MONITORINFO);  // the plain 40-byte record
    if (!GetMonitorInfoW(handle, &info)) return TRUE;  // skip it, keep enumerating
    UINT dpi_x = 0, dpi_y = 0;
    if (FAILED(GetDpiForMonitor(handle, MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y))) dpi_x = 0;
    Monitor m;
    m.handle = reinterpret_cast<uintptr_t>(handle);
    m.rect = Rect{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right - info.rcMonitor.left,
                  info.rcMonitor.bottom - info.rcMonitor.top};
    m.ui_scale = ui_scale_for_dpi(dpi_x);
    m.pixel_scale = 100;
    m.primary = (info.dwFlags & MONITORINFOF_PRIMARY) != 0;
    monitors->push_back(m);
    return TRUE;
}

PlatformError last_error(const char* call) { return PlatformError::os(call, int32_t(GetLastError())); }

}  // namespace

Result<std::vector<Monitor>, PlatformError> enumerate_monitors() {
    std::vector<Monitor> monitors;
    if (!EnumDisplayMonitors(nullptr, nullptr, add_monitor, reinterpret_cast<LPARAM>(&monitors)))
        return fail(last_error("EnumDisplayMonitors"));
    sort_monitors(monitors);
    return monitors;
}

Result<Frame, PlatformError> capture_desktop(const std::vector<Monitor>& monitors) {
    const Rect desktop = virtual_desktop(monitors);
    if (desktop.width <= 0 || desktop.height <= 0)
        return fail(PlatformError::capture("virtual desktop has zero area"));

    mark_first_frame(FirstFrameStage::CaptureBegun);
    // Declared first, released last: the surface's bitmap is deselected, zeroed and
    // deleted, and its memory DC deleted, before the screen DC goes.
    ScreenDc screen;
    if (!screen) return fail(last_error("GetDC(desktop)"));
    auto surface = DibSurface::create(desktop.width, desktop.height, nullptr);
    if (!surface) return fail(std::move(surface).error());
    if (!BitBlt((*surface)->dc(), 0, 0, desktop.width, desktop.height, screen.get(), desktop.x, desktop.y,
                SRCCOPY | CAPTUREBLT))
        return fail(last_error("BitBlt(desktop)"));
    GdiFlush();
    mark_first_frame(FirstFrameStage::CaptureEnded);
    auto* pixels = reinterpret_cast<uint32_t*>((*surface)->pixels());
    for (size_t i = 0, n = size_t(desktop.width) * size_t(desktop.height); i < n; ++i) pixels[i] |= 0xFF000000u;

    auto owner = std::make_unique<CapturedDesktop>(std::move(*surface));
    uint8_t* bytes = owner->surface().pixels();
    auto image = TileImage::lent(uint32_t(desktop.width), uint32_t(desktop.height), bytes, std::move(owner));
    if (!image) return fail(PlatformError::image(image.error()));
    Frame frame;
    frame.tiles.push_back(Tile{std::move(image).value(), desktop, 100});
    return frame;
}

}  // namespace kestrix::win
