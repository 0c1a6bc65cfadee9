// Closes every visible top-level window with the given title, as a user clicking its
// close box would (a message box takes this as its OK button):
//   close_window Kestrix
// Exits with 0 when at least one window was asked to close.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

struct Search {
    std::wstring title;
    int closed = 0;
};

BOOL CALLBACK close_matching(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    wchar_t title[256] = {};
    GetWindowTextW(window, title, int(std::size(title)));
    if (search->title == title && PostMessageW(window, WM_CLOSE, 0, 0)) ++search->closed;
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: close_window <title>\n");
        return 2;
    }
    Search search{argv[1]};
    EnumWindows(close_matching, reinterpret_cast<LPARAM>(&search));
    std::printf("closed %d\n", search.closed);
    return search.closed > 0 ? 0 : 1;
}
