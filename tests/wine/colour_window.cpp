// A window of one colour that appears when asked, as the window a user captures:
//   colour_window X Y WIDTH HEIGHT RRGGBB [DELAY_MS [SECONDS]]
// Waits DELAY_MS (0 by default), shows a borderless window at that place (desktop
// units) in front with the keyboard, prints "shown", and keeps it for SECONDS (30 by
// default) or until it is closed.
#define UNICODE
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) PostQuitMessage(0);
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: colour_window X Y WIDTH HEIGHT RRGGBB [DELAY_MS [SECONDS]]\n");
        return 2;
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const int x = _wtoi(argv[1]), y = _wtoi(argv[2]), width = _wtoi(argv[3]), height = _wtoi(argv[4]);
    const unsigned long rgb = std::wcstoul(argv[5], nullptr, 16);
    const DWORD delay = argc > 6 ? DWORD(_wtoi(argv[6])) : 0;
    const UINT seconds = argc > 7 ? UINT(_wtoi(argv[7])) : 30;

    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = CreateSolidBrush(RGB(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF));
    window_class.lpszClassName = L"KestrixTestColour";
    if (!RegisterClassExW(&window_class)) return 1;

    Sleep(delay);
    HWND window = CreateWindowExW(0, L"KestrixTestColour", L"colour window", WS_POPUP | WS_VISIBLE, x, y, width, height,
                                  nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!window) return 1;
    SetForegroundWindow(window);
    SetFocus(window);
    UpdateWindow(window);
    std::printf("shown\n");
    std::fflush(stdout);

    SetTimer(window, 1, seconds * 1000, nullptr);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (msg.message == WM_TIMER && msg.hwnd == window) DestroyWindow(window);
        DispatchMessageW(&msg);
    }
    return 0;
}
