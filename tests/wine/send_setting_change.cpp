// Tells every top-level window that a system setting changed, as Windows does when
// the user switches the taskbar between light and dark:
//   send_setting_change ImmersiveColorSet
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: send_setting_change <area>\n");
        return 2;
    }
    DWORD_PTR result = 0;
    SendMessageTimeoutW(HWND_BROADCAST, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(argv[1]), SMTO_ABORTIFHUNG, 5000,
                        &result);
    return 0;
}
