// Times Enter in an open overlay of the running Kestrix: posts the key to the
// overlay window, then prints the milliseconds until the clipboard has changed
// and until the confirmation is shown:
//   clipboard 84.2
//   confirmation 97.5
// ("-" for what did not happen within 10 s). The overlay must already hold a
// selection. Windows only; tools/bench/first-frame-bench.sh runs it under Wine.
#include <cstdio>

#ifdef _WIN32
#include <windows.h>
#include <timeapi.h>

#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

void print(const char* what, double ms) {
    if (ms < 0)
        std::printf("%s -\n", what);
    else
        std::printf("%s %.1f\n", what, ms);
}

}  // namespace

int main() {
    const HWND overlay = FindWindowW(L"SnapRegionOverlay", nullptr);
    if (!overlay) {
        std::printf("error: no overlay\n");
        return 1;
    }
    timeBeginPeriod(1);
    const DWORD sequence = GetClipboardSequenceNumber();
    const auto start = Clock::now();
    PostMessageW(overlay, WM_KEYDOWN, VK_RETURN, 1);
    PostMessageW(overlay, WM_KEYUP, VK_RETURN, 1 | (1u << 30) | (1u << 31));
    double clipboard = -1, confirmation = -1;
    while (clipboard < 0 || confirmation < 0) {
        const double ms = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
        if (ms > 10000) break;
        if (clipboard < 0 && GetClipboardSequenceNumber() != sequence) clipboard = ms;
        if (confirmation < 0) {
            const HWND toast = FindWindowW(L"SnapConfirmation", nullptr);
            if (toast && IsWindowVisible(toast)) confirmation = ms;
        }
        Sleep(1);
    }
    timeEndPeriod(1);
    print("clipboard", clipboard);
    print("confirmation", confirmation);
    return clipboard >= 0 && confirmation >= 0 ? 0 : 1;
}

#else

int main() {
    std::printf("enter_bench: Windows only (tools/bench/first-frame-bench.sh runs it under Wine)\n");
    return 0;
}

#endif
