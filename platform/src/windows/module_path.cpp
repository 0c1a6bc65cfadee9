#include "module_path.h"

#include <windows.h>

namespace kestrix::win {

std::wstring executable_path() {
    std::wstring buffer(1040, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        // Cut short: try again with more room, up to the longest path the system has.
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

}  // namespace kestrix::win
