#pragma once
// The "Save screenshot" dialog for PNG files.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrix::win {

// The chosen path (with ".png" added when the name has no extension), or none
// when the user cancels or the dialog fails. `owner` may be null.
std::optional<std::filesystem::path> ask_save_path(HWND owner, std::string_view suggested_name);

}  // namespace kestrix::win
