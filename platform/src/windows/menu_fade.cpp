#include "menu_fade.h"

#include <windows.h>
#include <dwmapi.h>

namespace kestrix::win {

namespace {

constexpr ULONGLONG kLongestWaitMs = 500;
constexpr DWORD kPollMs = 10;

bool selection_fades() {
    BOOL fade = FALSE;
    return SystemParametersInfoW(SPI_GETSELECTIONFADE, 0, &fade, 0) && fade;
}

bool fading_item_visible() {
    for (HWND fader = FindWindowExW(nullptr, nullptr, L"SysFader", nullptr); fader;
         fader = FindWindowExW(nullptr, fader, L"SysFader", nullptr))
        if (IsWindowVisible(fader)) return true;
    return false;
}

}  // namespace

void wait_for_menu_fade() {
    if (selection_fades()) {
        const ULONGLONG deadline = GetTickCount64() + kLongestWaitMs;
        while (fading_item_visible() && GetTickCount64() < deadline) {
            // The fade may be driven from this thread's queue: let sent messages and system
            // timers through, but leave the posted messages for the host.
            MsgWaitForMultipleObjects(0, nullptr, FALSE, kPollMs, QS_ALLINPUT);
            MSG message;
            PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);
        }
    }
    DwmFlush();  // the frame without the menu is on screen before the picture is taken
}

}  // namespace kestrix::win
