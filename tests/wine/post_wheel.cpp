// Posts a mouse-wheel message with any delta to the window under a desktop point,
// as a precision touchpad's driver sends them (a mouse's notch is 120):
//   post_wheel X Y DELTA [ctrl]
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 4 && argc != 5) {
        std::fprintf(stderr, "usage: post_wheel X Y DELTA [ctrl]\n");
        return 2;
    }
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const POINT at{std::wcstol(argv[1], nullptr, 10), std::wcstol(argv[2], nullptr, 10)};
    const short delta = short(std::wcstol(argv[3], nullptr, 10));
    const WORD keys = argc == 5 && std::wcscmp(argv[4], L"ctrl") == 0 ? MK_CONTROL : 0;
    HWND window = WindowFromPoint(at);
    if (!window) {
        std::printf("no window at %ld,%ld\n", at.x, at.y);
        return 1;
    }
    return PostMessageW(window, WM_MOUSEWHEEL, MAKEWPARAM(keys, WORD(delta)), MAKELPARAM(at.x, at.y)) ? 0 : 1;
}
