#pragma once
// Whether the running executable is the installed copy, the one that the Uninstall
// entry's InstallLocation names: only that copy's updates may change the entry's
// DisplayVersion (a portable copy elsewhere must not).
#include <string_view>

namespace kestrix {

// Windows paths: "\" and "/" alike, letters compared without case, trailing separators
// of the folder ignored. An empty location names nothing.
bool is_installed_copy(std::string_view install_location, std::string_view executable_path);

}  // namespace kestrix
