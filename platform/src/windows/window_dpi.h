#pragma once
// The DPI a window is shown at and the frame around a client area at that DPI, for
// the dialogs that lay themselves out at their monitor's scale (Settings, the send
// panel). The per-DPI calls are looked up at run time, so that a system without
// them still gets the system-wide values.
#include <windows.h>

#include <cstdint>

namespace kestrix::win {

// The DPI of the monitor the window is on; 96 when it cannot be had.
UINT window_dpi(HWND window);

// The window's interface scale: usable_ui_scale of ui_scale_for_dpi(window_dpi).
uint32_t window_ui_scale(HWND window);

// The outer size of a window with these styles whose client area is width x height
// at `dpi`: the caption and borders as they are drawn at that DPI.
SIZE frame_size(int width, int height, DWORD style, DWORD ex_style, UINT dpi);

}  // namespace kestrix::win
