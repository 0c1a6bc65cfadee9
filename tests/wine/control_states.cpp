// Reads other programs' windows for a script that checks a dialog. Started once and
// fed one request a line on standard input (Wine starts slowly, so one process serves
// the whole script); each answer ends with a line "end":
//   class <window class>   every visible top-level window of that class and its children:
//       window|<title>|<left>,<top>,<right>,<bottom>|ltr or rtl
//       <id>|<class>|<text>|<left>,<top>,<right>,<bottom>|checked or unchecked|enabled or disabled|<list>
//     where <list> is, for a drop-down list, "<count> items, first <text>, selected <text>"
//     (empty otherwise); then "windows <count>".
//   top                    every visible top-level window, topmost first: "<class>|<title>"
//   control_states --serve
#include <windows.h>

#include <cstdio>
#include <string>

#include "wide_text.h"

namespace {

constexpr UINT kTimeoutMs = 2000;

LRESULT send(HWND window, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wparam, lparam, SMTO_ABORTIFHUNG, kTimeoutMs, &result)) return -1;
    return LRESULT(result);
}

std::string one_line(const wchar_t* text) {
    std::string out = kestrix::win::narrow(text);
    for (char& c : out)
        if (c == '\n' || c == '\r' || c == '|') c = ' ';
    return out;
}

std::string text_of(HWND window) {
    wchar_t buffer[1024] = {};
    send(window, WM_GETTEXT, std::size(buffer), reinterpret_cast<LPARAM>(buffer));
    return one_line(buffer);
}

std::string class_of(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    return kestrix::win::narrow(name);
}

std::string rect_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

std::string item_text(HWND list, LRESULT index) {
    if (index < 0) return "(none)";
    const LRESULT length = send(list, CB_GETLBTEXTLEN, WPARAM(index));
    if (length < 0 || length > 1000) return "(unreadable)";
    wchar_t buffer[1024] = {};
    send(list, CB_GETLBTEXT, WPARAM(index), reinterpret_cast<LPARAM>(buffer));
    return one_line(buffer);
}

BOOL CALLBACK print_child(HWND child, LPARAM) {
    const std::string name = class_of(child);
    char id[16];
    std::snprintf(id, sizeof id, "0x%04x", unsigned(GetDlgCtrlID(child)));
    std::string list;
    if (_stricmp(name.c_str(), "ComboBox") == 0) {
        const LRESULT count = send(child, CB_GETCOUNT);
        list = std::to_string(count) + " items, first " + item_text(child, count > 0 ? 0 : -1) + ", selected " +
               item_text(child, send(child, CB_GETCURSEL));
    }
    const bool checked = _stricmp(name.c_str(), "Button") == 0 && send(child, BM_GETCHECK) == BST_CHECKED;
    std::printf("%s|%s|%s|%s|%s|%s|%s\n", id, name.c_str(), text_of(child).c_str(), rect_of(child).c_str(),
                checked ? "checked" : "unchecked", IsWindowEnabled(child) ? "enabled" : "disabled", list.c_str());
    return TRUE;
}

struct ClassSearch {
    std::string class_name;
    int found = 0;
};

BOOL CALLBACK print_of_class(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<ClassSearch*>(param);
    if (!IsWindowVisible(window) || class_of(window) != search->class_name) return TRUE;
    ++search->found;
    const bool mirrored = (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
    std::printf("window|%s|%s|%s\n", text_of(window).c_str(), rect_of(window).c_str(), mirrored ? "rtl" : "ltr");
    EnumChildWindows(window, print_child, 0);
    return TRUE;
}

BOOL CALLBACK print_top_level(HWND window, LPARAM) {
    if (IsWindowVisible(window)) std::printf("%s|%s\n", class_of(window).c_str(), text_of(window).c_str());
    return TRUE;
}

void answer(const std::string& request) {
    if (request.rfind("class ", 0) == 0) {
        ClassSearch search{request.substr(6)};
        EnumWindows(print_of_class, reinterpret_cast<LPARAM>(&search));
        std::printf("windows %d\n", search.found);
    } else if (request == "top") {
        EnumWindows(print_top_level, 0);
    } else {
        std::printf("unknown request %s\n", request.c_str());
    }
    std::printf("end\n");
    std::fflush(stdout);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2 || std::wstring(argv[1]) != L"--serve") {
        std::fprintf(stderr, "usage: control_states --serve   (then requests on standard input)\n");
        return 2;
    }
    char line[512];
    while (std::fgets(line, sizeof line, stdin)) {
        std::string request(line);
        while (!request.empty() && (request.back() == '\n' || request.back() == '\r')) request.pop_back();
        if (request == "quit") break;
        if (!request.empty()) answer(request);
    }
    return 0;
}
