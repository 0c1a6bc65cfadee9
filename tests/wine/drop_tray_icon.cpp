// Removes the running host's notification-area icon, as a restarting shell loses
// every icon, so that a following "TaskbarCreated" broadcast can bring it back.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>

int wmain() {
    HWND host = FindWindowW(L"SnapHostWindow", nullptr);
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    NOTIFYICONDATAW data{};
    data.cbSize = sizeof data;
    data.hWnd = host;
    data.uID = 1;
    if (!Shell_NotifyIconW(NIM_DELETE, &data)) {
        std::printf("not removed\n");
        return 1;
    }
    std::printf("removed\n");
    return 0;
}
