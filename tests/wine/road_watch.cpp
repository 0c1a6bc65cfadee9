// Watches what a capture puts on the screen and the clipboard, from outside the
// program, and prints one line per change with the milliseconds since it started:
//   road_watch MS [--until EVENT [--times N] [--then MS2]]
//   0 ready
//   812 overlay shown -1280,0 3200x1080
//   1350 clipboard changed
//   1361 overlay gone
//   1377 toast shown 544,692 152x38 text Copied  640 × 480
//   2479 toast gone
// EVENT is the start of the text after the time ("toast gone", "pin shown", ...);
// the watch ends MS2 milliseconds (default 0) after its Nth report (default the
// first), or after MS milliseconds at the latest. Windows: the region overlay, the confirmation
// toast, pins, the Save dialog, the send panel and the countdown of a delayed capture. The toast has no title, so its text is read out
// of its owner's memory: the window's user data points at the toast's state, whose
// first member is the text as a std::wstring of this same compiler.
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "wide_text.h"

namespace {

using Clock = std::chrono::steady_clock;
const Clock::time_point start = Clock::now();
std::string until;
int times = 1;
long long then_ms = 0;
long long end_ms = -1;  // set once the awaited event has been reported often enough

long long elapsed_ms() { return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count(); }

void report(const std::string& event) {
    const long long ms = elapsed_ms();
    std::printf("%lld %s\n", ms, event.c_str());
    std::fflush(stdout);
    if (!until.empty() && event.compare(0, until.size(), until) == 0 && --times == 0) end_ms = ms + then_ms;
}

std::string place_of(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) + "x" +
           std::to_string(rect.bottom - rect.top);
}

// libstdc++'s std::wstring begins with the pointer to its characters and their count.
std::string toast_text(HWND window) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    const auto state = static_cast<uintptr_t>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!pid || !state) return "(no state)";
    HANDLE process = OpenProcess(PROCESS_VM_READ, FALSE, pid);
    if (!process) return "(cannot open the process)";
    std::string text = "(unreadable)";
    struct {
        uintptr_t data;
        size_t size;
    } header{};
    SIZE_T got = 0;
    if (ReadProcessMemory(process, reinterpret_cast<const void*>(state), &header, sizeof header, &got) &&
        got == sizeof header && header.size < 1024) {
        std::wstring chars(header.size, L'\0');
        if (ReadProcessMemory(process, reinterpret_cast<const void*>(header.data), chars.data(), header.size * 2, &got) &&
            got == header.size * 2)
            text = kestrix::win::narrow(chars);
    }
    CloseHandle(process);
    return text;
}

// One kind of window: reported when it appears (with its place) and when it goes.
struct Watched {
    const wchar_t* class_name;
    const wchar_t* title;
    const char* name;
    bool with_text;
    HWND seen = nullptr;

    void poll() {
        HWND window = FindWindowW(class_name, title);
        if (window && !IsWindowVisible(window)) window = nullptr;
        if (window == seen) return;
        if (seen) report(std::string(name) + " gone");
        seen = window;
        if (window)
            report(std::string(name) + " shown " + place_of(window) + (with_text ? " text " + toast_text(window) : ""));
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: road_watch MS [--until EVENT [--times N] [--then MS2]]\n");
        return 2;
    }
    const long long limit = _wtoi64(argv[1]);
    for (int i = 2; i + 1 < argc; i += 2) {
        const std::wstring option = argv[i];
        if (option == L"--until") until = kestrix::win::narrow(argv[i + 1]);
        else if (option == L"--times") times = _wtoi(argv[i + 1]);
        else if (option == L"--then") then_ms = _wtoi64(argv[i + 1]);
    }
    Watched windows[] = {
        {L"SnapRegionOverlay", nullptr, "overlay", false},
        {L"SnapConfirmation", nullptr, "toast", true},
        {L"KestrixPinWindow", nullptr, "pin", false},
        {L"#32770", L"Save screenshot", "dialog", false},
        {L"KestrixSendPanel", nullptr, "send panel", false},
        {L"KestrixCountdown", nullptr, "countdown", false},
    };
    DWORD sequence = GetClipboardSequenceNumber();
    report("ready");
    while (elapsed_ms() < limit && (end_ms < 0 || elapsed_ms() < end_ms)) {
        for (Watched& watched : windows) watched.poll();
        if (const DWORD now = GetClipboardSequenceNumber(); now != sequence) {
            sequence = now;
            report("clipboard changed");
        }
        Sleep(5);
    }
    if (end_ms < 0) report("time up");
    return 0;
}
