#include "print_screen_setting.h"

#include <windows.h>

#include <cstdint>
#include <optional>

#include "kestrix/hotkey_choice.h"

namespace kestrix::win {

namespace {

std::optional<uint32_t> print_screen_setting() {
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegGetValueW(HKEY_CURRENT_USER, L"Control Panel\\Keyboard", L"PrintScreenKeyForSnippingEnabled",
                     RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return uint32_t(value);
}

// The real build number: GetVersionExW answers what the manifest declares, RtlGetVersion
// what runs. 0 when it cannot be had.
uint32_t windows_build() {
    using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);
    const HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    if (!ntdll) return 0;
    const auto get_version =
        reinterpret_cast<RtlGetVersionFn>(reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")));
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    if (!get_version || get_version(&info) != 0) return 0;
    return uint32_t(info.dwBuildNumber);
}

}  // namespace

bool print_screen_claimed_by_windows() {
    return kestrix::windows_claims_print_screen(print_screen_setting(), windows_build());
}

}  // namespace kestrix::win
