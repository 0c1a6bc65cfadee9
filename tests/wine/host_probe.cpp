// The tray host on its own, with an event callback that reports every event on
// standard output ("event 0", ...), so that a script can check what a click, a
// hotkey or a broadcast raised. About (event 2) opens the real About dialog; a
// hotkey pressed while it is open prints "nested". After every event line the
// COM apartment of the host's thread follows ("apartment sta", or "apartment
// none" where COM was never initialised). Quit (event 6) ends it.
// When the tray menu opens it prints its window rectangle and every item with its
// screen rectangle, so a script can check the labels and click them.
// Its menu has Recent captures, none kept yet, as kestrix.exe's has by default; with
// --recent-two it holds two editable captures of 200 x 150 and 400 x 300 (in that order)
// with 64 x 48 thumbnails, laid out as kestrix.exe lays out two such captures.
//   host_probe [--update <version>] [--no-icon] [--recent-two]
#include <windows.h>
#include <objbase.h>

#include <cstdio>
#include <cwchar>
#include <memory>
#include <string>
#include <vector>

#include "host.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
#include "wide_text.h"

namespace {

void report(const std::string& line) {
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

HMENU open_menu = nullptr;
bool menu_reported = false;

// Watches the host window's messages: WM_INITMENUPOPUP names the menu being opened,
// the first WM_ENTERIDLE after it comes once the menu window is on screen.
LRESULT CALLBACK watch_menu(int code, WPARAM wparam, LPARAM lparam) {
    const auto* message = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && message->message == WM_INITMENUPOPUP) {
        open_menu = reinterpret_cast<HMENU>(message->wParam);
        menu_reported = false;
    } else if (code == HC_ACTION && message->message == WM_ENTERIDLE && message->wParam == MSGF_MENU && open_menu &&
               !menu_reported) {
        menu_reported = true;
        RECT frame{};
        GetWindowRect(reinterpret_cast<HWND>(message->lParam), &frame);
        POINT cursor{};
        GetCursorPos(&cursor);
        report("menu " + std::to_string(frame.left) + " " + std::to_string(frame.top) + " " +
               std::to_string(frame.right) + " " + std::to_string(frame.bottom) + " cursor " +
               std::to_string(cursor.x) + " " + std::to_string(cursor.y));
        for (int i = 0; i < GetMenuItemCount(open_menu); ++i) {
            wchar_t label[128] = {};
            MENUITEMINFOW info{};
            info.cbSize = sizeof info;
            info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING;
            info.dwTypeData = label;
            info.cch = UINT(std::size(label));
            GetMenuItemInfoW(open_menu, UINT(i), TRUE, &info);
            RECT item{};
            GetMenuItemRect(nullptr, open_menu, UINT(i), &item);
            const std::string text = (info.fType & MFT_SEPARATOR) ? "---" : kestrix::win::narrow(label);
            char id[16];
            std::snprintf(id, sizeof id, "0x%04x", info.wID);
            report("item " + std::to_string(i) + " " + id + " " + std::to_string((item.left + item.right) / 2) + " " +
                   std::to_string((item.top + item.bottom) / 2) + " " + text);
        }
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

// What ShellExecuteW finds on the host's thread when About's link is followed.
std::string apartment() {
    APTTYPE type{};
    APTTYPEQUALIFIER qualifier{};
    if (FAILED(CoGetApartmentType(&type, &qualifier))) return "apartment none";
    switch (type) {
    case APTTYPE_STA:
    case APTTYPE_MAINSTA: return "apartment sta";
    case APTTYPE_MTA: return "apartment mta";
    default: return "apartment other";
    }
}

}  // namespace

// Two captures as the menu shows them; the time's digits are as wide as any others.
std::vector<kestrix::RecentMenuEntry> two_recent_captures() {
    using namespace kestrix;
    const auto thumbnail =
        std::make_shared<const Image>(*make_image(64, 48, std::vector<uint8_t>(64 * 48 * 4, 0x80)));
    return {{2, "00:00:00   200 \u00d7 150", true, thumbnail}, {1, "00:00:00   400 \u00d7 300", true, thumbnail}};
}

int wmain(int argc, wchar_t** argv) {
    using namespace kestrix;
    SetWindowsHookExW(WH_CALLWNDPROC, watch_menu, nullptr, GetCurrentThreadId());
    set_language(kEnglish);
    win::HostSettings settings;
    win::set_recent_captures(std::vector<RecentMenuEntry>{});
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--update") == 0 && i + 1 < argc)
            win::set_available_update(win::narrow(argv[++i]));
        else if (std::wcscmp(argv[i], L"--recent-two") == 0)
            win::set_recent_captures(two_recent_captures());
        else if (std::wcscmp(argv[i], L"--no-icon") == 0)
            settings.show_tray_icon = false;
    }
    report("ready");
    const auto result = win::run(
        settings,
        [&](uint8_t event) {
            report("event " + std::to_string(event));
            report(apartment());
            if (event == 2) {
                win::show_about(about_text(catalogue(), settings.hotkey.text()), kProductWebsite);
                report("about closed");
            }
            return event == 6;
        },
        [&](const CaptureRequest&) { report("nested"); });
    if (!result) {
        report("stopped: " + result.error().plain());
        return 1;
    }
    report("ended");
    return 0;
}
