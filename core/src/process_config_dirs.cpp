// Where a POSIX build looks for kestrix.toml: beside the executable, or under the
// APPDATA variable when it is set, exactly as on Windows so that both builds share
// one behaviour. The Windows version lives in the platform library.
#ifndef _WIN32
#include <cstdlib>
#include <system_error>

#include "kestrix/config.h"

namespace kestrix {

ConfigDirs process_config_dirs() {
    ConfigDirs dirs;
    std::error_code ec;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", ec);
    dirs.program_dir = ec || !executable.has_parent_path() ? std::filesystem::path(".") : executable.parent_path();
    if (const char* appdata = std::getenv("APPDATA"); appdata != nullptr && *appdata != '\0')
        dirs.appdata = std::filesystem::path(appdata);
    return dirs;
}

}  // namespace kestrix
#endif
