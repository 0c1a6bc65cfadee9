// Prints the texts of every visible top-level window with the given title and of
// its child windows, one "class|text" line each (line breaks shown as \n), so a
// script can read a message box or dialog of another process:
//   window_texts Kestrix
#include <windows.h>

#include <cstdio>
#include <string>

#include "wide_text.h"

namespace {

std::wstring text_of(HWND window) {
    wchar_t buffer[2048] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer), SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return buffer;
}

void print(HWND window, const char* prefix) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, int(std::size(name)));
    std::string line = kestrix::win::narrow(name) + "|" + kestrix::win::narrow(text_of(window));
    for (size_t at = line.find('\n'); at != std::string::npos; at = line.find('\n', at)) line.replace(at, 1, "\\n");
    for (size_t at = line.find('\r'); at != std::string::npos; at = line.find('\r', at)) line.erase(at, 1);
    std::printf("%s%s\n", prefix, line.c_str());
}

BOOL CALLBACK print_child(HWND child, LPARAM) {
    print(child, "  ");
    return TRUE;
}

struct Search {
    const wchar_t* title;
    int found = 0;
};

BOOL CALLBACK visit_top_level(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window) || text_of(window) != search->title) return TRUE;
    ++search->found;
    print(window, "");
    EnumChildWindows(window, print_child, 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: window_texts <title>\n");
        return 2;
    }
    Search search{argv[1]};
    EnumWindows(visit_top_level, reinterpret_cast<LPARAM>(&search));
    std::printf("windows %d\n", search.found);
    return 0;
}
