#pragma once
// Whole-file reads and writes. A write never leaves the file truncated after a crash
// or on a full disk: the bytes go to a new file beside it under a name no file of the
// user's has, are flushed to the disk, and that file then takes the target's place in
// one rename. On failure the new file is removed again.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "kestrix/result.h"

namespace kestrix {

// The file's bytes, or nothing when it cannot be opened or read (a directory, say).
std::optional<std::string> read_file(const std::filesystem::path& path);

// Fails with the system's text for the error; on failure the earlier file is untouched.
// Where no temporary file can be created beside the target, the target is overwritten
// in place instead.
Result<void, std::string> write_file_atomically(const std::filesystem::path& target, std::string_view bytes);

// Writes the bytes as a new file in `folder`, made first (with its parents) when it is
// missing, under the first of the names name_for(0), name_for(1), … (UTF-8) that no
// file there has: an existing file is never replaced, also when another program takes
// a name meanwhile. The bytes reach the disk before the name appears. Answers the new
// file's path, or the system's text for what failed.
Result<std::filesystem::path, std::string> write_new_file(const std::filesystem::path& folder,
                                                           const std::function<std::string(uint32_t)>& name_for,
                                                           std::string_view bytes);

}  // namespace kestrix
