// The file calls of an atomic write on Windows: exclusive creation, a flush to
// the disk and a write-through replace, with the system's own text for errors.
#include <windows.h>

#include <algorithm>
#include <string>

#include "kestrix/file_calls.h"
#include "system_text.h"

namespace kestrix::file_calls {

namespace {

using win::system_text;

std::string last_error_text() { return system_text(GetLastError()); }

HANDLE native(Handle file) { return reinterpret_cast<HANDLE>(file); }

Result<Handle, OpenFailure> open(const std::filesystem::path& path, DWORD disposition) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        return fail(OpenFailure{code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS, system_text(code)});
    }
    return reinterpret_cast<Handle>(file);
}

}  // namespace

Result<Handle, OpenFailure> create_new(const std::filesystem::path& path, const std::filesystem::path&) {
    return open(path, CREATE_NEW);
}

Result<Handle, OpenFailure> open_truncated(const std::filesystem::path& path) { return open(path, CREATE_ALWAYS); }

Result<void, std::string> write_all(Handle file, std::string_view bytes) {
    // WriteFile takes at most 4 GiB less one byte per call.
    constexpr size_t kPiece = size_t(1) << 30;
    while (!bytes.empty()) {
        const DWORD piece = DWORD(std::min(bytes.size(), kPiece));
        DWORD written = 0;
        if (!WriteFile(native(file), bytes.data(), piece, &written, nullptr)) return fail(last_error_text());
        if (written == 0) return fail(system_text(ERROR_WRITE_FAULT));
        bytes.remove_prefix(written);
    }
    return {};
}

Result<void, std::string> flush_to_disk(Handle file) {
    if (!FlushFileBuffers(native(file))) return fail(last_error_text());
    return {};
}

Result<void, std::string> close(Handle file) {
    if (!CloseHandle(native(file))) return fail(last_error_text());
    return {};
}

Result<void, std::string> replace(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(last_error_text());
    return {};
}

Result<void, OpenFailure> rename_new(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD code = GetLastError();
        return fail(OpenFailure{code == ERROR_FILE_EXISTS || code == ERROR_ALREADY_EXISTS, system_text(code)});
    }
    return {};
}

void remove(const std::filesystem::path& path) { DeleteFileW(path.c_str()); }

void sync_directory(const std::filesystem::path&) {}

}  // namespace kestrix::file_calls
