#include "prepare.h"

#include <windows.h>

namespace kestrix::win {

void request_dpi_awareness() {
    // Looked up at run time so that a system without the call still gets the fallback.
    using SetContextFn = BOOL(WINAPI*)(DPI_AWARENESS_CONTEXT);
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    const auto set_context = user32 ? reinterpret_cast<SetContextFn>(reinterpret_cast<void*>(
                                          GetProcAddress(user32, "SetProcessDpiAwarenessContext")))
                                    : nullptr;
    if (set_context && set_context(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)) return;
    SetProcessDPIAware();
}

std::vector<std::wstring> parked_copy_paths(const std::wstring& executable) {
    std::vector<std::wstring> paths;
    paths.push_back(executable + L".old");
    for (int n = 1; n <= 15; ++n) paths.push_back(executable + L".old." + std::to_wstring(n));
    return paths;
}

Result<std::wstring, DWORD> running_executable_path() {
    wchar_t buffer[1040];
    const DWORD length = GetModuleFileNameW(nullptr, buffer, DWORD(std::size(buffer)));
    if (length == 0) return fail(GetLastError());
    // A path cut short names another file.
    if (length >= std::size(buffer)) return fail(DWORD(ERROR_INSUFFICIENT_BUFFER));
    return std::wstring(buffer, length);
}

void remove_parked_copies() {
    // Nothing is deleted unless the whole path was obtained.
    const auto executable = running_executable_path();
    if (!executable) return;
    for (const std::wstring& path : parked_copy_paths(*executable)) DeleteFileW(path.c_str());
}

}  // namespace kestrix::win
