#include "capture.h"

#include <windows.h>
#include <shellscalingapi.h>

#include <cstring>
#include <stdexcept>

#include "gdi_handles.h"
#include "screen_bitmap.h"

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

    // Declaration order gives the release order: bitmap deselected, zeroed and
    // deleted, then the memory DC, then the screen DC.
    ScreenDc screen;
    if (!screen) return fail(last_error("GetDC(desktop)"));
    MemoryDc memory(screen.get());
    if (!memory) return fail(last_error("CreateCompatibleDC"));
    ScreenBitmap bitmap(memory.get(), desktop.width, desktop.height);
    if (!bitmap.valid()) return fail(last_error("CreateDIBSection"));

    std::vector<uint8_t> pixels;
    try {
        pixels.reserve(size_t(desktop.width) * desktop.height * 4);
    } catch (const std::exception&) {
        return fail(PlatformError::capture("not enough memory for the desktop's picture"));
    }
    {
        SelectGuard selected(memory.get(), bitmap.handle());
        if (!BitBlt(memory.get(), 0, 0, desktop.width, desktop.height, screen.get(), desktop.x, desktop.y,
                    SRCCOPY | CAPTUREBLT))
            return fail(last_error("BitBlt(desktop)"));
        GdiFlush();
        const size_t size = size_t(desktop.width) * desktop.height * 4;
        pixels.assign(bitmap.bits(), bitmap.bits() + size);
    }
    for (size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
    auto image = make_image(uint32_t(desktop.width), uint32_t(desktop.height), std::move(pixels));
    if (!image) return fail(PlatformError::image(image.error()));

    Frame frame;
    frame.tiles.push_back(Tile{std::move(image).value(), desktop, 100});
    return frame;
}

}  // namespace kestrix::win
