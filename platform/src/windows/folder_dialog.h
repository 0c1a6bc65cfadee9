#pragma once
// The system's folder picker.
#include <windows.h>

#include <filesystem>
#include <optional>

namespace kestrix::win {

// The folder the user picked, opening at `start` when it is one; none when the user
// cancels or the dialog cannot be shown. `owner` may be null.
std::optional<std::filesystem::path> ask_folder(HWND owner, const std::filesystem::path& start);

}  // namespace kestrix::win
