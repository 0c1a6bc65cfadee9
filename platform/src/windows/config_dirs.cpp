// The directories kestrix.toml may live under: the one holding the executable, and
// the user's APPDATA directory.
#include <windows.h>

#include <string>

#include "kestrix/config.h"

namespace kestrix {

namespace {

// The executable's full path; empty when the system cannot give it.
std::wstring module_path() {
    std::wstring buffer(1040, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), DWORD(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        if (buffer.size() >= 32768) return {};
        buffer.resize(buffer.size() * 2);
    }
}

std::optional<std::wstring> environment_variable(const wchar_t* name) {
    const DWORD needed = GetEnvironmentVariableW(name, nullptr, 0);
    if (needed == 0) return std::nullopt;
    std::wstring value(needed, L'\0');
    const DWORD length = GetEnvironmentVariableW(name, value.data(), needed);
    if (length == 0 || length >= needed) return std::nullopt;
    value.resize(length);
    return value;
}

}  // namespace

ConfigDirs process_config_dirs() {
    ConfigDirs dirs;
    const std::filesystem::path executable(module_path());
    dirs.program_dir = executable.has_parent_path() ? executable.parent_path() : std::filesystem::path(".");
    if (auto appdata = environment_variable(L"APPDATA")) dirs.appdata = std::filesystem::path(*appdata);
    return dirs;
}

}  // namespace kestrix
