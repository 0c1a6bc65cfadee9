// Broadcasts a registered window message to every top-level window, as another
// program would: post_broadcast Kestrix.Quit
#include <windows.h>

#include <cstdio>

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: post_broadcast <message name>\n");
        return 2;
    }
    const UINT message = RegisterWindowMessageW(argv[1]);
    if (message == 0 || !PostMessageW(HWND_BROADCAST, message, 0, 0)) {
        std::fprintf(stderr, "broadcast failed (os error %lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
