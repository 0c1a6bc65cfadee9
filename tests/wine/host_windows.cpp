// Lists Kestrix's host windows ("SnapHostWindow", never shown), one "host <process id>"
// line each, then "hosts <count>": which process holds the tray after an update.
#include <windows.h>

#include <cstdio>
#include <iterator>

namespace {

BOOL CALLBACK report_host(HWND window, LPARAM count) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    if (lstrcmpW(name, L"SnapHostWindow") != 0) return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    std::printf("host %lu\n", process);
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

}  // namespace

int wmain() {
    int count = 0;
    EnumWindows(report_host, reinterpret_cast<LPARAM>(&count));
    std::printf("hosts %d\n", count);
    return 0;
}
