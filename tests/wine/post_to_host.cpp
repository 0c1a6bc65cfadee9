// Posts a message to the running host window, as the system does for its timer or
// the shell for a click on the notification-area icon:
//   post_to_host <message number> <first parameter> [<second parameter>]
//   e.g. post_to_host 275 1 (WM_TIMER, id 1); post_to_host 0x8001 0x12C012C 0x1007B (the icon's
//   version-4 callback: WM_CONTEXTMENU for icon 1, anchored at 300, 300)
// or a quit request to the host's thread, as PostQuitMessage would:
//   post_to_host quit <exit code>
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: post_to_host <message> <wparam> [<lparam>] | post_to_host quit <exit code>\n");
        return 2;
    }
    HWND host = FindWindowW(L"SnapHostWindow", nullptr);
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    const WPARAM wparam = WPARAM(std::wcstoull(argv[2], nullptr, 0));
    if (std::wcscmp(argv[1], L"quit") == 0)
        return PostThreadMessageW(GetWindowThreadProcessId(host, nullptr), WM_QUIT, wparam, 0) ? 0 : 1;
    const UINT message = UINT(std::wcstoul(argv[1], nullptr, 0));
    const LPARAM lparam = argc == 4 ? LPARAM(std::wcstoll(argv[3], nullptr, 0)) : 0;
    return PostMessageW(host, message, wparam, lparam) ? 0 : 1;
}
