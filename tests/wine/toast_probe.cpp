// Shows the confirmation toast or opens the Save dialog the way a capture session
// does, and prints what a script cannot see from outside:
//   toast_probe toast X Y W H     "Copied  W × H" under that anchor
//   toast_probe toast none        a toast without anchor
//   toast_probe twice X Y W H     two toasts 300 ms apart
//   toast_probe save NAME         the Save dialog proposing NAME
// A toast is reported once ("shown", flushed, so a script can take a screenshot
// meanwhile) and again when it has closed by itself, with the time it lived.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "kestrix/i18n.h"
#include "save_dialog.h"
#include "toast.h"
#include "wide_text.h"

using namespace kestrix;
using Clock = std::chrono::steady_clock;

namespace {

HWND find_toast() { return FindWindowW(L"SnapConfirmation", nullptr); }

long long ms_since(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// Dispatches messages until the window is gone or the time is up.
void pump_while(HWND window, int limit_ms) {
    const auto start = Clock::now();
    while ((!window || IsWindow(window)) && ms_since(start) < limit_ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void describe(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    wchar_t name[64] = {};
    GetClassNameW(window, name, int(std::size(name)));
    BYTE alpha = 0;
    DWORD flags = 0;
    GetLayeredWindowAttributes(window, nullptr, &alpha, &flags);
    std::printf("rect: %ld,%ld %dx%d\n", rect.left, rect.top, width, height);
    std::printf("class: %s\n", win::narrow(name).c_str());
    std::printf("exstyle: 0x%08lX\n", GetWindowLongW(window, GWL_EXSTYLE));
    std::printf("style: 0x%08lX\n", GetWindowLongW(window, GWL_STYLE));
    std::printf("owner: %s\n", GetWindow(window, GW_OWNER) ? "some" : "none");
    std::printf("alpha: %u%s\n", alpha, flags & LWA_ALPHA ? "" : " (not set)");
    std::printf("visible: %s\n", IsWindowVisible(window) ? "yes" : "no");

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (GetWindowRgn(window, region) != ERROR) {
        // The corner is cut away, the middle of each edge and the centre are kept.
        const bool rounded = !PtInRegion(region, 0, 0) && !PtInRegion(region, width - 1, height - 1) &&
                             PtInRegion(region, width / 2, 0) && PtInRegion(region, 0, height / 2) &&
                             PtInRegion(region, width / 2, height / 2);
        std::printf("region: %s\n", rounded ? "rounded" : "not rounded");
    } else {
        std::printf("region: none\n");
    }
    DeleteObject(region);
    wchar_t text[256] = {};
    GetWindowTextW(window, text, int(std::size(text)));
    std::printf("title: '%s'\n", win::narrow(text).c_str());
}

std::optional<Rect> anchor_from(char** argv, int argc) {
    if (argc == 3 && std::string(argv[2]) == "none") return std::nullopt;
    return Rect{std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5])};
}

std::string size_text(const std::optional<Rect>& anchor) {
    return anchor ? std::to_string(anchor->width) + " \u00D7 " + std::to_string(anchor->height) : "no anchor";
}

int show(const std::optional<Rect>& anchor) {
    const HWND foreground = GetForegroundWindow();
    const auto start = Clock::now();
    if (auto shown = win::show_toast(msg(Message::toast_copied, size_text(anchor)), anchor); !shown) {
        std::printf("show_toast: %s\n", shown.error().plain().c_str());
        return 1;
    }
    const HWND toast = find_toast();
    if (!toast) {
        std::printf("no SnapConfirmation window\n");
        return 1;
    }
    describe(toast);
    std::printf("foreground changed: %s\n", GetForegroundWindow() == foreground ? "no" : "yes");
    std::printf("shown\n");
    std::fflush(stdout);
    pump_while(toast, 5000);
    std::printf("lived: %lld ms\n", ms_since(start));
    std::printf("closed: %s\n", IsWindow(toast) ? "no" : "yes");
    return 0;
}

// A second confirmation replaces the first at once.
int twice(const std::optional<Rect>& anchor) {
    if (!win::show_toast("first", anchor)) return 1;
    const HWND first = find_toast();
    pump_while(nullptr, 300);
    const auto start = Clock::now();
    if (!win::show_toast(msg(Message::toast_copied, size_text(anchor)), anchor)) return 1;
    const HWND second = find_toast();
    std::printf("first closed: %s\n", IsWindow(first) ? "no" : "yes");
    std::printf("second is another window: %s\n", second && second != first ? "yes" : "no");
    pump_while(second, 5000);
    std::printf("second lived: %lld ms\n", ms_since(start));
    return 0;
}

int save(const char* name) {
    const auto before = std::filesystem::current_path();
    std::printf("ready\n");
    std::fflush(stdout);
    const auto path = win::ask_save_path(nullptr, name);
    std::printf("path: %s\n", path ? win::narrow(path->wstring()).c_str() : "none");
    std::printf("current directory unchanged: %s\n", std::filesystem::current_path() == before ? "yes" : "no");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    // Desktop units are physical pixels only for a per-monitor aware process.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::string mode = argc > 1 ? argv[1] : "";
    if ((mode == "toast" || mode == "twice") && (argc == 6 || argc == 3)) {
        const auto anchor = anchor_from(argv, argc);
        return mode == "toast" ? show(anchor) : twice(anchor);
    }
    if (mode == "save" && argc == 3) return save(argv[2]);
    std::fprintf(stderr, "usage: toast_probe toast|twice X Y W H | toast|twice none | save NAME\n");
    return 2;
}
