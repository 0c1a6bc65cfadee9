// Posts a message to the running host window, as the system does for its timer or
// the shell for a click on the notification-area icon:
//   post_to_host <message number> <first parameter> [<second parameter>]
//   e.g. post_to_host 275 1 (WM_TIMER, id 1); post_to_host 0x8001 0x12C012C 0x1007B (the icon's
//   version-4 callback: WM_CONTEXTMENU for icon 1, anchored at 300, 300)
// or a quit request to the host's thread, as PostQuitMessage would:
//   post_to_host quit <exit code>
// With --answer first, it then times how long the host takes, from the post, to
// answer a message sent to it (the tray's unresponsive time: a modal loop, such as
// a message box's, answers too) and prints "answered after N ms", or "no answer
// within N ms". --answer=N waits up to N ms instead of three minutes (a benchmark
// of an older build may hold the host longer). Sent messages overtake posted ones,
// so the message is sent only after a moment in which the idle host has taken the
// posted one.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cwchar>

namespace {

constexpr UINT kDefaultAnswerLimitMs = 180000;

constexpr DWORD kTakeUpMs = 250;

int time_answer(HWND host, std::chrono::steady_clock::time_point start, UINT limit_ms) {
    Sleep(kTakeUpMs);
    DWORD_PTR result = 0;
    const bool answered = SendMessageTimeoutW(host, WM_NULL, 0, 0, SMTO_NORMAL, limit_ms, &result) != 0;
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    if (answered) std::printf("answered after %lld ms\n", static_cast<long long>(ms));
    else std::printf("no answer within %u ms\n", limit_ms);
    return answered ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const bool answer = argc > 1 && std::wcsncmp(argv[1], L"--answer", 8) == 0 && (argv[1][8] == L'\0' || argv[1][8] == L'=');
    UINT limit_ms = kDefaultAnswerLimitMs;
    if (answer) {
        if (argv[1][8] == L'=') limit_ms = UINT(std::wcstoul(argv[1] + 9, nullptr, 10));
        --argc;
        ++argv;
    }
    if (argc != 3 && argc != 4) {
        std::fprintf(stderr, "usage: post_to_host [--answer[=MS]] <message> <wparam> [<lparam>] | post_to_host quit <exit code>\n");
        return 2;
    }
    HWND host = FindWindowW(L"SnapHostWindow", nullptr);
    if (!host) {
        std::printf("no host window\n");
        return 1;
    }
    const WPARAM wparam = WPARAM(std::wcstoull(argv[2], nullptr, 0));
    if (std::wcscmp(argv[1], L"quit") == 0)
        return PostThreadMessageW(GetWindowThreadProcessId(host, nullptr), WM_QUIT, wparam, 0) ? 0 : 1;
    const UINT message = UINT(std::wcstoul(argv[1], nullptr, 0));
    const LPARAM lparam = argc == 4 ? LPARAM(std::wcstoll(argv[3], nullptr, 0)) : 0;
    const auto posted = std::chrono::steady_clock::now();
    if (!PostMessageW(host, message, wparam, lparam)) return 1;
    return answer ? time_answer(host, posted, limit_ms) : 0;
}
