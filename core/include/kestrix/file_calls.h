#pragma once
// The few system calls an atomic file write is built on, which differ between
// systems: the POSIX ones live in the core, the Windows ones in the platform
// library. Failures carry the system's own text for the error.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "kestrix/result.h"

namespace kestrix::file_calls {

// An open file handle or descriptor; -1 when there is none.
using Handle = intptr_t;
inline constexpr Handle kNoHandle = -1;

struct OpenFailure {
    bool exists = false;  // the name is taken (only reported by create_new)
    std::string text;
};

// Creates `path` for writing; never opens a file that already exists. An existing
// file at `like` lends the new one its permissions where the system has them.
Result<Handle, OpenFailure> create_new(const std::filesystem::path& path, const std::filesystem::path& like);

// Opens an existing file (or creates it) for writing, emptied.
Result<Handle, OpenFailure> open_truncated(const std::filesystem::path& path);

// Writes every byte.
Result<void, std::string> write_all(Handle file, std::string_view bytes);

// Pushes the file's bytes past the system's cache to the disk.
Result<void, std::string> flush_to_disk(Handle file);

// Closes the handle; reports what closing found wrong.
Result<void, std::string> close(Handle file);

// Puts `from` in place of `to` in one step, the target replaced if it exists; on
// Windows with write-through, so that the rename is on the disk when it returns.
Result<void, std::string> replace(const std::filesystem::path& from, const std::filesystem::path& to);

// Gives `from` the name `to`, which must not exist yet (`exists` when it does); on
// Windows with write-through.
Result<void, OpenFailure> rename_new(const std::filesystem::path& from, const std::filesystem::path& to);

// Deletes the file if it is there; errors are of no use to the caller.
void remove(const std::filesystem::path& path);

// Makes a rename inside the directory durable (nothing to do on Windows).
void sync_directory(const std::filesystem::path& directory);

}  // namespace kestrix::file_calls
