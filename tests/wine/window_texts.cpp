// Prints the texts of every visible top-level window with the given title (or of
// the given class) and of its child windows, one "class|text|left,top,right,bottom"
// line each (line breaks shown as \n), so a script can read a message box, dialog
// or tooltip of another process:
//   window_texts Kestrix
//   window_texts --class tooltips_class32
//   window_texts --all      (every visible top-level window, without children)
//   window_texts --states TITLE   (each line ends in "|enabled" or "|disabled" as well)
//   window_texts --client TITLE   (after each window's line, "client||left,top,right,bottom":
//                                  its client area in screen coordinates)
//   window_texts --styles TITLE   (a top-level line ends in "|topmost" or "|not topmost" and
//                                  "|owner CLASS" or "|no owner": a taskbar button or not;
//                                  Wine's message boxes ignore MB_TOPMOST)
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

bool with_states = false;
bool with_client = false;
bool with_styles = false;

std::string styles_of(HWND window) {
    if (!with_styles || (GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) return {};
    std::string styles = (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) ? "|topmost" : "|not topmost";
    const HWND owner = GetWindow(window, GW_OWNER);
    if (!owner) return styles + "|no owner";
    wchar_t name[128] = {};
    GetClassNameW(owner, name, int(std::size(name)));
    return styles + "|owner " + kestrix::win::narrow(name);
}

void print(HWND window, const char* prefix) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, int(std::size(name)));
    std::string text = kestrix::win::narrow(text_of(window));
    for (size_t at = text.find('\n'); at != std::string::npos; at = text.find('\n', at)) text.replace(at, 1, "\\n");
    for (size_t at = text.find('\r'); at != std::string::npos; at = text.find('\r', at)) text.erase(at, 1);
    RECT rect{};
    GetWindowRect(window, &rect);
    std::printf("%s%s|%s|%ld,%ld,%ld,%ld%s%s\n", prefix, kestrix::win::narrow(name).c_str(), text.c_str(), rect.left,
                rect.top, rect.right, rect.bottom, with_states ? (IsWindowEnabled(window) ? "|enabled" : "|disabled") : "",
                styles_of(window).c_str());
}

BOOL CALLBACK print_child(HWND child, LPARAM) {
    print(child, "  ");
    return TRUE;
}

struct Search {
    std::wstring title;
    std::wstring class_name;
    bool all = false;
    int found = 0;
};

BOOL CALLBACK visit_top_level(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<Search*>(param);
    if (!IsWindowVisible(window)) return TRUE;
    if (search->all) {
        ++search->found;
        print(window, "");
        return TRUE;
    }
    if (!search->class_name.empty()) {
        wchar_t name[128] = {};
        GetClassNameW(window, name, int(std::size(name)));
        if (search->class_name != name) return TRUE;
    } else if (text_of(window) != search->title) {
        return TRUE;
    }
    ++search->found;
    print(window, "");
    if (with_client) {
        RECT client{};
        GetClientRect(window, &client);
        POINT corners[2] = {{client.left, client.top}, {client.right, client.bottom}};
        MapWindowPoints(window, nullptr, corners, 2);
        std::printf("client||%ld,%ld,%ld,%ld\n", corners[0].x, corners[0].y, corners[1].x, corners[1].y);
    }
    EnumChildWindows(window, print_child, 0);
    return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    Search search;
    if (argc == 3 && std::wstring(argv[1]) == L"--states") {
        with_states = true;
        search.title = argv[2];
    } else if (argc == 3 && std::wstring(argv[1]) == L"--client") {
        with_client = true;
        search.title = argv[2];
    } else if (argc == 3 && std::wstring(argv[1]) == L"--styles") {
        with_styles = true;
        search.title = argv[2];
    } else if (argc == 2 && std::wstring(argv[1]) == L"--all") {
        search.all = true;
    } else if (argc == 2) {
        search.title = argv[1];
    } else if (argc == 3 && std::wstring(argv[1]) == L"--class") {
        search.class_name = argv[2];
    } else {
        std::fprintf(stderr, "usage: window_texts <title> | --states <title> | --client <title> | --styles <title> | --class <class name> | --all\n");
        return 2;
    }
    EnumWindows(visit_top_level, reinterpret_cast<LPARAM>(&search));
    std::printf("windows %d\n", search.found);
    return 0;
}
