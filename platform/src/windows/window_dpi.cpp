#include "window_dpi.h"

#include <shellscalingapi.h>

#include "kestrix/frame.h"
#include "kestrix/ui_scale.h"

namespace kestrix::win {

namespace {

template <class Fn>
Fn user32_call(const char* name) {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

UINT window_dpi(HWND window) {
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto for_window = user32_call<GetDpiForWindowFn>("GetDpiForWindow");
    if (for_window) {
        if (const UINT dpi = for_window(window)) return dpi;
    }
    UINT dpi_x = 0, dpi_y = 0;
    if (FAILED(GetDpiForMonitor(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), MDT_EFFECTIVE_DPI, &dpi_x, &dpi_y)) ||
        dpi_x == 0)
        return USER_DEFAULT_SCREEN_DPI;
    return dpi_x;
}

uint32_t window_ui_scale(HWND window) { return usable_ui_scale(ui_scale_for_dpi(window_dpi(window))); }

SIZE frame_size(int width, int height, DWORD style, DWORD ex_style, UINT dpi) {
    using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto adjust_for_dpi = user32_call<AdjustForDpiFn>("AdjustWindowRectExForDpi");
    RECT frame{0, 0, width, height};
    if (!adjust_for_dpi || !adjust_for_dpi(&frame, style, FALSE, ex_style, dpi))
        AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace kestrix::win
