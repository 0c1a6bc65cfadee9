// Stands in for a shell that is not ready yet, as at sign-in: a window of the
// notification area's class, found before Wine's own, that refuses every icon for
// SECONDS and then goes away. It prints "refusing" once it is in place, "add MS" for
// every icon added meanwhile (milliseconds since it started) and "gone" at the end.
//   refuse_tray_icons SECONDS
// It also shows a small window of its own, titled "refusing tray icons": with no icon
// Wine shows no notification area, and hotkeys arrive only over a Wine window.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cwchar>

namespace {

ULONGLONG started = 0;

void report(const char* line, ULONGLONG ms = ~0ull) {
    if (ms == ~0ull)
        std::printf("%s\n", line);
    else
        std::printf("%s %llu\n", line, ms);
    std::fflush(stdout);
}

LRESULT CALLBACK shell_procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_COPYDATA) {
        const auto* data = reinterpret_cast<const COPYDATASTRUCT*>(lparam);
        if (data->dwData == NIM_ADD) report("add", GetTickCount64() - started);
        return FALSE;  // every request refused
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: refuse_tray_icons SECONDS\n");
        return 2;
    }
    const ULONGLONG seconds = std::wcstoull(argv[1], nullptr, 10);
    started = GetTickCount64();
    WNDCLASSEXW shell_class{};
    shell_class.cbSize = sizeof shell_class;
    shell_class.lpfnWndProc = shell_procedure;
    shell_class.hInstance = GetModuleHandleW(nullptr);
    shell_class.lpszClassName = L"Shell_TrayWnd";
    if (!RegisterClassExW(&shell_class)) return 1;
    HWND shell = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, L"Shell_TrayWnd", L"", WS_POPUP, 0, 0, 1, 1,
                                 nullptr, nullptr, shell_class.hInstance, nullptr);
    HWND visible = CreateWindowExW(0, L"STATIC", L"refusing tray icons", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 600, 400,
                                   300, 120, nullptr, nullptr, nullptr, nullptr);
    if (!shell || !visible) return 1;
    report("refusing");
    while (GetTickCount64() - started < seconds * 1000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    DestroyWindow(shell);
    DestroyWindow(visible);
    report("gone");
    return 0;
}
