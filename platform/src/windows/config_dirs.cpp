// The directories kestrix.toml may live under: the one holding the executable, and
// the user's APPDATA directory.
#include <windows.h>

#include <string>

#include "kestrix/config.h"
#include "module_path.h"

namespace kestrix {

namespace {

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
    const std::filesystem::path executable(win::executable_path());
    dirs.program_dir = executable.has_parent_path() ? executable.parent_path() : std::filesystem::path(".");
    if (auto appdata = environment_variable(L"APPDATA")) dirs.appdata = std::filesystem::path(*appdata);
    return dirs;
}

}  // namespace kestrix
