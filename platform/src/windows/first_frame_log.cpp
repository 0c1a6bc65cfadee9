#include "first_frame_log.h"

#include <windows.h>

#include <cstdio>
#include <optional>
#include <string>

#include "kernel_handle.h"

namespace kestrix::win {

namespace {

std::optional<std::wstring> log_path() {
    wchar_t buffer[MAX_PATH];
    const DWORD length = GetEnvironmentVariableW(L"KESTRIX_FIRST_FRAME_LOG", buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::nullopt;
    return std::wstring(buffer, length);
}

double now_ms() {
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) * 1000.0 / double(frequency.QuadPart);
}

void append_line(const std::wstring& path, const char* line, int length) {
    const KernelHandle file(CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    DWORD written = 0;
    WriteFile(file.get(), line, DWORD(length), &written, nullptr);
}

// The stages of the capture under way; a stage out of order starts over.
struct Marks {
    double hotkey = -1, begun = -1, ended = -1;
};

}  // namespace

void mark_first_frame(FirstFrameStage stage) {
    static const std::optional<std::wstring> path = log_path();
    static Marks marks;
    if (!path) return;
    const double now = now_ms();
    switch (stage) {
    case FirstFrameStage::Hotkey:
        marks = Marks{now};
        return;
    case FirstFrameStage::CaptureBegun:
        if (marks.hotkey >= 0 && marks.begun < 0) marks.begun = now;
        return;
    case FirstFrameStage::CaptureEnded:
        if (marks.begun >= 0 && marks.ended < 0) marks.ended = now;
        return;
    case FirstFrameStage::Painted:
        if (marks.ended < 0) return;  // a later paint, or a capture not started by the hotkey
        char line[128];
        const int length = std::snprintf(line, sizeof line, "hotkey-to-capture %.1f capture %.1f capture-to-painted %.1f\n",
                                         marks.begun - marks.hotkey, marks.ended - marks.begun, now - marks.ended);
        marks = Marks{};
        if (length > 0 && length < int(sizeof line)) append_line(*path, line, length);
        return;
    }
}

}  // namespace kestrix::win
