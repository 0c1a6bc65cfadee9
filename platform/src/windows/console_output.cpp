#include "console_output.h"

#include <windows.h>

#include <algorithm>
#include <string>

#include "wide_text.h"

namespace kestrix::win {

namespace {

bool usable(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }

bool is_console(HANDLE handle) {
    DWORD mode = 0;
    return GetConsoleMode(handle, &mode) != FALSE;
}

// Writes every byte, or gives up quietly at the first failure.
void write_all(HANDLE handle, std::string_view bytes) {
    while (!bytes.empty()) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1u << 20));
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr) || written == 0) return;
        bytes.remove_prefix(written);
    }
}

void write_console(HANDLE handle, std::string_view text) {
    std::wstring wide_text = wide(text);
    std::wstring_view rest(wide_text);
    while (!rest.empty()) {
        DWORD written = 0;
        const DWORD chunk = DWORD(std::min<size_t>(rest.size(), 8192));
        if (!WriteConsoleW(handle, rest.data(), chunk, &written, nullptr) || written == 0) return;
        rest.remove_prefix(written);
    }
}

// A file read later by an editor or PowerShell: without a byte-order mark they take
// the bytes for the ANSI code page and garble every non-ASCII character. Only in an
// empty file; a pipe's reader and a file appended to (">>") get none.
bool wants_byte_order_mark(HANDLE handle) {
    if (GetFileType(handle) != FILE_TYPE_DISK) return false;
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle, &size) && size.QuadPart == 0;
}

}  // namespace

void ConsoleOutput::find_target() {
    // A handle the starting program gave us (a file, a pipe, or its console) wins.
    const HANDLE standard = GetStdHandle(STD_OUTPUT_HANDLE);
    if (usable(standard) && GetFileType(standard) != FILE_TYPE_UNKNOWN) {
        handle_ = standard;
        target_ = is_console(standard) ? Target::Console : Target::Redirected;
        if (target_ == Target::Redirected && wants_byte_order_mark(standard)) write_all(standard, "\xEF\xBB\xBF");
        return;
    }
    // Otherwise the console of the program that started us, if it has one.
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
        console_.reset(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
        if (console_) {
            handle_ = console_.get();
            target_ = Target::Console;
            return;
        }
    }
    target_ = Target::None;
}

void ConsoleOutput::print(std::string_view text) {
    if (target_ == Target::Unknown) find_target();
    std::string line(text);
    line += '\n';
    switch (target_) {
        case Target::Redirected:
            write_all(handle_, line);
            break;
        case Target::Console:
            // UTF-16 to the console, so that non-ASCII text shows whatever its code page.
            write_console(handle_, line);
            break;
        case Target::None:
        case Target::Unknown:
            break;
    }
}

}  // namespace kestrix::win
