#include "kestrix/file_io.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace kestrix {

namespace fs = std::filesystem;

namespace {

std::string errno_text(int code) { return std::generic_category().message(code); }

// Paths are wide on Windows; the narrow fopen would take them in the ANSI code page.
std::FILE* open_file(const fs::path& path, bool for_writing) {
#ifdef _WIN32
    return _wfopen(path.c_str(), for_writing ? L"wb" : L"rb");
#else
    return std::fopen(path.c_str(), for_writing ? "wb" : "rb");
#endif
}

// Pushes the file's bytes past the system's cache to the disk.
bool sync_to_disk(std::FILE* file) {
#ifdef _WIN32
    return _commit(_fileno(file)) == 0;
#else
    return fsync(fileno(file)) == 0;
#endif
}

// Makes a rename inside the directory durable; Windows has no equivalent for directories.
void sync_directory([[maybe_unused]] const fs::path& directory) {
#ifndef _WIN32
    const int fd = open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
#endif
}

// Writes, flushes and closes an open file; the error text of the first step that failed.
Result<void, std::string> write_and_close(std::FILE* file, std::string_view bytes) {
    bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    ok = ok && std::fflush(file) == 0 && sync_to_disk(file);
    int error = ok ? 0 : errno;
    if (std::fclose(file) != 0 && ok) {
        ok = false;
        error = errno;
    }
    if (!ok) return fail(errno_text(error ? error : EIO));
    return {};
}

}  // namespace

std::optional<std::string> read_file(const fs::path& path) {
    std::FILE* file = open_file(path, false);
    if (file == nullptr) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return bytes;
}

Result<void, std::string> write_file_atomically(const fs::path& requested, std::string_view bytes) {
    // Replace the file a symbolic link points at, not the link itself.
    std::error_code ec;
    fs::path target = requested;
    if (fs::is_symlink(requested, ec)) {
        fs::path resolved = fs::canonical(requested, ec);
        if (!ec) target = resolved;
    }

    fs::path temp = target;
    temp += ".tmp";
    std::FILE* file = open_file(temp, true);
    if (file == nullptr) {
        // No temporary file is possible here (a read-only directory with a writable
        // file, say): the plain overwrite is the only way left.
        std::FILE* in_place = open_file(target, true);
        if (in_place == nullptr) return fail(errno_text(errno));
        return write_and_close(in_place, bytes);
    }

    if (auto written = write_and_close(file, bytes); !written) {
        fs::remove(temp, ec);
        return written;
    }
    // On Windows this is MoveFileExW with MOVEFILE_REPLACE_EXISTING.
    fs::rename(temp, target, ec);
    if (ec) {
        const std::string text = ec.message();
        fs::remove(temp, ec);
        return fail(text);
    }
    sync_directory(target.parent_path());
    return {};
}

}  // namespace kestrix
