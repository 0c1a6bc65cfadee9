// The tray host on its own, with an event callback that reports every event on
// standard output ("event 0", ...), so that a script can check what a click, a
// hotkey or a broadcast raised. About (event 2) opens the real About dialog; a
// hotkey pressed while it is open prints "nested". Quit (event 6) ends it.
//   host_probe [--update <version>] [--no-icon]
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "host.h"
#include "kestrix/i18n.h"
#include "kestrix/tray.h"
#include "wide_text.h"

int wmain(int argc, wchar_t** argv) {
    using namespace kestrix;
    set_language(kEnglish);
    win::HostSettings settings;
    for (int i = 1; i < argc; ++i) {
        if (std::wcscmp(argv[i], L"--update") == 0 && i + 1 < argc)
            win::set_available_update(win::narrow(argv[++i]));
        else if (std::wcscmp(argv[i], L"--no-icon") == 0)
            settings.show_tray_icon = false;
    }
    const auto report = [](const char* line) {
        std::printf("%s\n", line);
        std::fflush(stdout);
    };
    report("ready");
    const auto result = win::run(
        settings,
        [&](uint8_t event) {
            report(("event " + std::to_string(event)).c_str());
            if (event == 2) {
                win::show_about(about_text(catalogue(), settings.hotkey.text()), kProductWebsite);
                report("about closed");
            }
            return event == 6;
        },
        [&] { report("nested"); });
    if (!result) {
        report(("stopped: " + result.error().plain()).c_str());
        return 1;
    }
    report("ended");
    return 0;
}
