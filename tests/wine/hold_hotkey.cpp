// Owns Ctrl+Alt+A for a while, so that another program cannot register it:
// hold_hotkey <seconds>. Prints "held" once the hotkey is registered.
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    const DWORD seconds = argc > 1 ? DWORD(std::wcstoul(argv[1], nullptr, 10)) : 60;
    if (!RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT | MOD_NOREPEAT, 'A')) {
        std::printf("not held (os error %lu)\n", GetLastError());
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    const ULONGLONG end = GetTickCount64() + ULONGLONG(seconds) * 1000;
    for (ULONGLONG now = GetTickCount64(); now < end; now = GetTickCount64()) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(end - now), QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) return 0;
            DispatchMessageW(&msg);
        }
    }
    UnregisterHotKey(nullptr, 7);
    return 0;
}
