#pragma once
// The "Save screenshot" dialog for PNG and JPEG files.
#include <windows.h>

#include <filesystem>
#include <optional>
#include <string_view>

namespace kestrix::win {

// The chosen path (with ".png" added when the name has no extension), or none
// when the user cancels or the dialog fails. `owner` may be null. It opens in the
// folder last saved to in this process, else in `start_folder` when given.
std::optional<std::filesystem::path> ask_save_path(HWND owner, std::string_view suggested_name,
                                                   const std::optional<std::filesystem::path>& start_folder = std::nullopt);

}  // namespace kestrix::win
