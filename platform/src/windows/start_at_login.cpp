#include "start_at_login.h"

#include <windows.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "module_path.h"

namespace kestrix::win {

namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kApprovedKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
constexpr wchar_t kValueName[] = L"Kestrix";

class RegistryKey {
public:
    RegistryKey(HKEY parent, const wchar_t* path, REGSAM access) {
        if (RegOpenKeyExW(parent, path, 0, access, &key_) != ERROR_SUCCESS) key_ = nullptr;
    }
    ~RegistryKey() { if (key_) RegCloseKey(key_); }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    HKEY get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
};

// What earlier versions wrote: the path alone, so their starts at login looked like
// any other start.
std::optional<std::wstring> earlier_run_value_data() {
    const std::wstring path = executable_path();
    if (path.empty()) return std::nullopt;
    return L"\"" + path + L"\"";
}

std::optional<std::wstring> read_run_value() {
    wchar_t data[2048] = {};
    DWORD size = sizeof data;
    if (RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(data);
}

bool write_run_value(HKEY run, const std::wstring& data) {
    return RegSetValueExW(run, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          DWORD((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

bool run_value_exists() {
    DWORD size = 0;
    return RegGetValueW(HKEY_CURRENT_USER, kRunKey, kValueName, RRF_RT_REG_SZ, nullptr, nullptr, &size) == ERROR_SUCCESS;
}

// Windows writes 12 bytes; only the first one matters, whatever the length.
std::optional<std::vector<uint8_t>> approved_value() {
    DWORD size = 0;
    if (RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kValueName, RRF_RT_REG_BINARY, nullptr, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<uint8_t> bytes(size);
    if (size > 0 && RegGetValueW(HKEY_CURRENT_USER, kApprovedKey, kValueName, RRF_RT_REG_BINARY, nullptr, bytes.data(),
                                 &size) != ERROR_SUCCESS)
        return std::nullopt;
    bytes.resize(std::min<size_t>(size, bytes.size()));
    return bytes;
}

}  // namespace

std::optional<std::wstring> run_value_data() {
    const std::optional<std::wstring> earlier = earlier_run_value_data();
    if (!earlier) return std::nullopt;
    return *earlier + L" --at-login";
}

void update_earlier_run_value() {
    const std::optional<std::wstring> earlier = earlier_run_value_data();
    if (!earlier || read_run_value() != earlier) return;
    RegistryKey run(HKEY_CURRENT_USER, kRunKey, KEY_SET_VALUE);
    if (run) write_run_value(run.get(), *run_value_data());
}

LoginState read_login_state() {
    LoginRegistry registry;
    registry.path_known = run_value_data().has_value();
    if (registry.path_known) registry.run_value = run_value_exists();
    if (registry.run_value) registry.approved = approved_value();
    return login_state(registry);
}

LoginState set_start_at_login(bool on) {
    const std::optional<std::wstring> data = run_value_data();
    if (!data) return LoginState::Unavailable;
    {
        RegistryKey run(HKEY_CURRENT_USER, kRunKey, KEY_READ | KEY_SET_VALUE);
        if (!run) return LoginState::Unavailable;
        if (on) {
            write_run_value(run.get(), *data);
        } else {
            RegDeleteValueW(run.get(), kValueName);
        }
    }
    return read_login_state();
}

}  // namespace kestrix::win
