#pragma once
// Replacing a file's whole content so that a crash or a full disk never leaves it
// truncated: the bytes go to a temporary file beside it, are flushed to the disk,
// and the temporary file then takes the target's place in one rename.
#include <filesystem>
#include <string>
#include <string_view>

#include "kestrix/result.h"

namespace kestrix {

// Fails with the system's text for the error; on failure the earlier file is untouched.
// Where no temporary file can be created beside the target, the target is overwritten
// in place instead.
Result<void, std::string> write_file_atomically(const std::filesystem::path& target, std::string_view bytes);

}  // namespace kestrix
