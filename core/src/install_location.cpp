#include "kestrix/install_location.h"

namespace kestrix {

namespace {

bool is_separator(char c) { return c == '\\' || c == '/'; }

char folded(char c) {
    if (c >= 'A' && c <= 'Z') return char(c - 'A' + 'a');
    return is_separator(c) ? '\\' : c;
}

std::string_view without_trailing_separators(std::string_view path) {
    while (!path.empty() && is_separator(path.back())) path.remove_suffix(1);
    return path;
}

}  // namespace

bool is_installed_copy(std::string_view install_location, std::string_view executable_path) {
    const std::string_view location = without_trailing_separators(install_location);
    const size_t last = executable_path.find_last_of("\\/");
    if (location.empty() || last == std::string_view::npos) return false;
    const std::string_view folder = without_trailing_separators(executable_path.substr(0, last));
    if (folder.size() != location.size()) return false;
    for (size_t i = 0; i < folder.size(); ++i)
        if (folded(folder[i]) != folded(location[i])) return false;
    return true;
}

}  // namespace kestrix
