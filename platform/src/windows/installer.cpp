#include "installer.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>

#include "kernel_handle.h"
#include "kestrix/install_location.h"
#include "prepare.h"
#include "system_text.h"
#include "wide_text.h"

namespace kestrix::win {

namespace {

// Another process (a virus scanner, an indexer) may hold the file for a moment.
constexpr DWORD kRetryDelaysMs[] = {50, 100, 200, 400, 800};

// Runs `attempt` (0 or a system error code) again after each delay while it fails
// with a sharing violation or access denied; returns the last code.
template <class Attempt>
DWORD with_retries(Attempt attempt) {
    DWORD error = attempt();
    for (DWORD delay : kRetryDelaysMs) {
        if (error != ERROR_SHARING_VIOLATION && error != ERROR_ACCESS_DENIED) break;
        Sleep(delay);
        error = attempt();
    }
    return error;
}

DWORD error_unless(BOOL done) { return done ? 0 : GetLastError(); }

DWORD rename_file(const std::wstring& from, const std::wstring& to, DWORD flags = 0) {
    return error_unless(MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH));
}

bool something_exists(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    const DWORD error = GetLastError();
    return error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND;
}

// The first parked name that is free or can be freed.
std::optional<std::wstring> free_parking_name(const std::wstring& executable) {
    for (const std::wstring& name : parked_copy_paths(executable)) {
        if (!something_exists(name) || DeleteFileW(name.c_str())) return name;
    }
    return std::nullopt;
}

// The whole of `bytes` in a fresh file, flushed to the disk before it is closed.
DWORD write_flushed(const std::wstring& path, std::span<const uint8_t> bytes) {
    const KernelHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return GetLastError();
    while (!bytes.empty()) {
        const DWORD chunk = DWORD(std::min<size_t>(bytes.size(), 1u << 20));
        DWORD written = 0;
        if (!WriteFile(file.get(), bytes.data(), chunk, &written, nullptr)) return GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;  // no progress: never loop for ever
        bytes = bytes.subspan(written);
    }
    return error_unless(FlushFileBuffers(file.get()));
}

// The new executable under P. It is written complete under a name of its own first and
// then renamed over P, so that a crash or a full disk never leaves a truncated P.
DWORD put_in_place(const std::wstring& executable, std::span<const uint8_t> bytes) {
    const std::wstring incoming = executable + L".new-" + std::to_wstring(GetCurrentProcessId());
    DWORD error = with_retries([&] { return write_flushed(incoming, bytes); });
    if (error == 0) error = with_retries([&] { return rename_file(incoming, executable, MOVEFILE_REPLACE_EXISTING); });
    if (error != 0) DeleteFileW(incoming.c_str());
    return error;
}

// Undoes the parking after a later step failed; every failure here is ignored.
void restore(const std::wstring& executable, const std::wstring& parked) {
    DeleteFileW(executable.c_str());
    rename_file(parked, executable);
}

constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Kestrix";

// What DisplayVersion held before the update wrote it, to put back if the new copy
// cannot be started; nothing was written when the record does not exist.
struct VersionRecord {
    bool written = false;
    std::optional<std::wstring> previous;
};

// The entry's InstallLocation, empty when it has none.
std::wstring install_location(HKEY key) {
    wchar_t location[1040] = {};
    DWORD type = 0;
    DWORD size = sizeof location - sizeof(wchar_t);
    if (RegQueryValueExW(key, L"InstallLocation", nullptr, &type, reinterpret_cast<BYTE*>(location), &size) !=
            ERROR_SUCCESS ||
        type != REG_SZ)
        return {};
    return location;
}

// For the system's list of programs, when this is the copy the list's entry installed;
// every failure here is ignored.
VersionRecord record_installed_version(std::string_view version, const std::wstring& executable) {
    VersionRecord record;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return record;
    if (!is_installed_copy(narrow(install_location(key)), narrow(executable))) {
        RegCloseKey(key);
        return record;
    }
    wchar_t previous[256] = {};
    DWORD type = 0;
    DWORD size = sizeof previous - sizeof(wchar_t);  // room for a terminating zero the value may lack
    if (RegQueryValueExW(key, L"DisplayVersion", nullptr, &type, reinterpret_cast<BYTE*>(previous), &size) ==
            ERROR_SUCCESS &&
        type == REG_SZ)
        record.previous = std::wstring(previous);
    const std::wstring text = wide(version);
    record.written = RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                    DWORD((text.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
    RegCloseKey(key);
    return record;
}

void undo(const VersionRecord& record) {
    HKEY key = nullptr;
    if (!record.written || RegOpenKeyExW(HKEY_CURRENT_USER, kUninstallKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    if (record.previous)
        RegSetValueExW(key, L"DisplayVersion", 0, REG_SZ, reinterpret_cast<const BYTE*>(record.previous->c_str()),
                       DWORD((record.previous->size() + 1) * sizeof(wchar_t)));
    else
        RegDeleteValueW(key, L"DisplayVersion");
    RegCloseKey(key);
}

DWORD start_new_copy(const std::wstring& executable) {
    std::wstring command_line = L"\"" + executable + L"\" --after-update";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, command_line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return GetLastError();
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return 0;
}

Unexpected<PlatformError> failed(const char* what, DWORD code) { return fail(PlatformError::os(what, int32_t(code))); }

}  // namespace

Result<void, PlatformError> check_install_folder() {
    const auto executable = running_executable_path();
    if (!executable) return failed("GetModuleFileNameW", executable.error());
    // A file of our own beside the executable, gone again when its handle closes:
    // what Program Files, a protected folder or a read-only share refuse.
    const std::wstring probe = *executable + L".write-test-" + std::to_wstring(GetCurrentProcessId());
    const HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE) return fail(PlatformError{PlatformError::Io{system_text(GetLastError())}});
    CloseHandle(file);
    return {};
}

Result<void, PlatformError> install_update(std::span<const uint8_t> bytes, std::string_view version) {
    if (bytes.size() < 64 || bytes[0] != 'M' || bytes[1] != 'Z')
        return failed("the downloaded file is not a Windows executable", 0);
    const auto executable = running_executable_path();
    if (!executable) return failed("GetModuleFileNameW", executable.error());

    // No free name to park the outgoing executable under.
    const auto parked = free_parking_name(*executable);
    if (!parked) return failed("finding a name for the outgoing copy", 0);
    // Windows lets a running executable be renamed, though not overwritten.
    if (DWORD error = with_retries([&] { return rename_file(*executable, *parked); }))
        return failed("renaming the running executable", error);

    if (DWORD error = put_in_place(*executable, bytes)) {
        restore(*executable, *parked);
        return failed("writing the new executable", error);
    }
    const VersionRecord record = record_installed_version(version, *executable);
    if (DWORD error = start_new_copy(*executable)) {
        restore(*executable, *parked);
        // The old version is the installed one again.
        undo(record);
        return failed("CreateProcessW(new version)", error);
    }
    return {};
}

}  // namespace kestrix::win
