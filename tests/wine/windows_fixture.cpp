// Opens top-level windows of known size and state so that an end-to-end test can
// count what the snapping list offers (under Wine a process sees only Wine's windows):
//   windows_fixture READY_FILE STOP_FILE
// Opens the windows, writes READY_FILE, and keeps them until STOP_FILE exists (or
// 120 seconds have passed). Offered: three windows of at least 40 x 40 units.
// Not offered: one 39 units wide, one minimised, one hidden, one tool window.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    return DefWindowProcW(window, message, wparam, lparam);
}

HWND open_window(const wchar_t* title, DWORD ex_style, int x, int y, int width, int height) {
    // Plain pop-ups: no caption, so the system imposes no minimum size.
    return CreateWindowExW(ex_style, L"KestrixTestFixture", title, WS_POPUP, x, y, width, height, nullptr, nullptr,
                           GetModuleHandleW(nullptr), nullptr);
}

bool file_exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: windows_fixture READY_FILE STOP_FILE\n");
        return 2;
    }
    WNDCLASSEXW window_class{};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = GetModuleHandleW(nullptr);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    window_class.lpszClassName = L"KestrixTestFixture";
    if (!RegisterClassExW(&window_class)) return 1;

    struct Shown {
        HWND window;
        int show;
    };
    const Shown windows[] = {
        {open_window(L"fixture 640x480", 0, 100, 100, 640, 480), SW_SHOWNOACTIVATE},
        {open_window(L"fixture 40x40", 0, 800, 100, 40, 40), SW_SHOWNOACTIVATE},
        {open_window(L"fixture on the left monitor", 0, -1000, 200, 300, 200), SW_SHOWNOACTIVATE},
        {open_window(L"fixture 39x500", 0, 900, 100, 39, 500), SW_SHOWNOACTIVATE},
        {open_window(L"fixture minimised", 0, 300, 600, 400, 300), SW_SHOWMINNOACTIVE},
        {open_window(L"fixture hidden", 0, 300, 600, 400, 300), SW_HIDE},
        {open_window(L"fixture tool", WS_EX_TOOLWINDOW, 1000, 600, 200, 200), SW_SHOWNOACTIVATE},
    };
    for (const Shown& shown : windows) {
        if (!shown.window) return 1;
        ShowWindow(shown.window, shown.show);
    }

    // Let every window settle before saying so.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    HANDLE ready = CreateFileW(argv[1], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready == INVALID_HANDLE_VALUE) return 1;
    CloseHandle(ready);

    const ULONGLONG until = GetTickCount64() + 120000;
    while (!file_exists(argv[2]) && GetTickCount64() < until) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
    return 0;
}
