// The Windows entry point of kestrix.exe: a windowed program that answers the
// informational options on standard output or runs the tray application.
#include <windows.h>

#include <span>
#include <string>
#include <vector>

#include "command_line.h"
#include "console_output.h"
#include "program.h"
#include "update_build_settings.h"
#include "windows_platform.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // The platform starts GDI+ now and shuts it down when it goes, after the program.
    kestrix::win::WindowsPlatform platform;
    kestrix::win::ConsoleOutput output;

    const wchar_t* line = GetCommandLineW();
    const std::vector<std::string> arguments =
        kestrix::split_command_line(std::u16string_view(reinterpret_cast<const char16_t*>(line)));

    kestrix::AppEnvironment env{
        platform,
        kestrix::process_config_dirs(),
        [&output](std::string_view text) { output.print(text); },
        [](std::chrono::milliseconds pause) { Sleep(DWORD(pause.count())); },
        kestrix::UpdateFeed{KESTRIX_UPDATE_FEED_URL, KESTRIX_UPDATE_PUBLIC_KEY},
    };
    return kestrix::run_program(std::span(arguments).subspan(1), env);
}
