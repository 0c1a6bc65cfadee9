// The file calls of an atomic write on POSIX systems. The Windows version lives
// in the platform library.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

#include "kestrix/file_calls.h"

namespace kestrix::file_calls {

namespace {

std::string errno_text(int code) { return std::generic_category().message(code); }

OpenFailure open_failure(int code) { return {code == EEXIST, errno_text(code)}; }

}  // namespace

Result<Handle, OpenFailure> create_new(const std::filesystem::path& path, const std::filesystem::path& like) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) return fail(open_failure(errno));
    // The replacement keeps the permissions of the file it replaces.
    struct stat existing {};
    if (::stat(like.c_str(), &existing) == 0) (void)::fchmod(fd, existing.st_mode & 07777);
    return Handle(fd);
}

Result<Handle, OpenFailure> open_truncated(const std::filesystem::path& path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) return fail(open_failure(errno));
    return Handle(fd);
}

Result<void, std::string> write_all(Handle file, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(int(file), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return fail(errno_text(errno));
        }
        bytes.remove_prefix(size_t(written));
    }
    return {};
}

Result<void, std::string> flush_to_disk(Handle file) {
    if (::fsync(int(file)) != 0) return fail(errno_text(errno));
    return {};
}

Result<void, std::string> close(Handle file) {
    if (::close(int(file)) != 0 && errno != EINTR) return fail(errno_text(errno));
    return {};
}

Result<void, std::string> replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (::rename(from.c_str(), to.c_str()) != 0) return fail(errno_text(errno));
    return {};
}

Result<void, OpenFailure> rename_new(const std::filesystem::path& from, const std::filesystem::path& to) {
    // A second name for the file, which fails when `to` exists, then the first one goes.
    if (::link(from.c_str(), to.c_str()) != 0) return fail(open_failure(errno));
    (void)::unlink(from.c_str());
    return {};
}

void remove(const std::filesystem::path& path) { (void)::unlink(path.c_str()); }

void sync_directory(const std::filesystem::path& directory) {
    const int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace kestrix::file_calls
#endif
