// Clicks the left button at a desktop point, as the user would, and times how long
// a window of the given class takes to become visible:
//   click_timer X Y CLASS [TIMEOUT_MS]      e.g. click_timer 1779 1046 KestrixSendPanel
//   -> "shown after 96.4 ms" (or "not shown within 5000 ms", exit code 1)
// The click is the injected input itself, so the time starts where a user's press does.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: click_timer X Y CLASS [TIMEOUT_MS]\n");
        return 2;
    }
    const int x = _wtoi(argv[1]), y = _wtoi(argv[2]);
    const long long timeout_ms = argc > 4 ? _wtoi64(argv[4]) : 5000;
    SetCursorPos(x, y);
    Sleep(150);  // the move is delivered before the press

    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    using Clock = std::chrono::steady_clock;
    const Clock::time_point pressed = Clock::now();
    if (SendInput(2, clicks, sizeof(INPUT)) != 2) {
        std::printf("SendInput failed (%lu)\n", GetLastError());
        return 1;
    }
    for (;;) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - pressed).count();
        const HWND window = FindWindowW(argv[3], nullptr);
        if (window && IsWindowVisible(window)) {
            std::printf("shown after %.1f ms\n", ms);
            return 0;
        }
        if (ms > double(timeout_ms)) {
            std::printf("not shown within %lld ms\n", timeout_ms);
            return 1;
        }
        Sleep(1);
    }
}
