#include "keyboard_layouts.h"

#include <windows.h>

#include <algorithm>
#include <optional>

#include "wide_text.h"

namespace kestrix::win {

namespace {

// ToUnicodeEx leaves the keyboard's dead-key state as it was (Windows 10 1607 and later),
// so asking about a dead key does not change what the user types next.
constexpr UINT kKeepKeyboardState = 0x4;

// A key state with the modifiers down; both the generic and the left key, as a
// keyboard sends them (AltGr arrives as left Ctrl with right Alt).
void press(BYTE (&state)[256], uint32_t modifiers) {
    constexpr BYTE kDown = 0x80;
    if (modifiers & Hotkey::kShift) state[VK_SHIFT] = state[VK_LSHIFT] = kDown;
    if (modifiers & Hotkey::kCtrl) state[VK_CONTROL] = state[VK_LCONTROL] = kDown;
    if (modifiers & Hotkey::kAlt) state[VK_MENU] = state[VK_RMENU] = kDown;
}

// What the key gives: the first character written, a dead key's spacing form included.
std::optional<char32_t> translate(uint32_t virtual_key, UINT scan_code, uint32_t modifiers, HKL layout) {
    BYTE state[256] = {};
    press(state, modifiers);
    wchar_t buffer[8] = {};
    const int written = ToUnicodeEx(virtual_key, scan_code, state, buffer, int(std::size(buffer)), kKeepKeyboardState, layout);
    if (written == 0) return std::nullopt;
    const char16_t first = char16_t(buffer[0]);
    const char16_t second = char16_t(buffer[1]);
    if (first >= 0xD800 && first <= 0xDBFF && written > 1 && second >= 0xDC00 && second <= 0xDFFF)
        return char32_t(0x10000 + ((first - 0xD800) << 10) + (second - 0xDC00));
    return char32_t(first);
}

std::string language_tag(HKL layout) {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
    const LCID locale = MAKELCID(LOWORD(reinterpret_cast<UINT_PTR>(layout)), SORT_DEFAULT);
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) == 0) return {};
    return narrow(name);
}

KeyboardLayout read_layout(HKL handle) {
    KeyboardLayout layout;
    layout.id = uint32_t(reinterpret_cast<UINT_PTR>(handle));
    layout.name = language_tag(handle);
    for (uint32_t vk = 0; vk < 0x100; ++vk) {
        if (!is_character_key(vk)) continue;
        const UINT scan_code = MapVirtualKeyExW(vk, MAPVK_VK_TO_VSC, handle);
        for (uint32_t modifiers : typing_modifier_sets())
            if (const auto character = translate(vk, scan_code, modifiers, handle))
                layout.keys.push_back({vk, modifiers, *character});
    }
    return layout;
}

}  // namespace

std::vector<KeyboardLayout> installed_keyboard_layouts() {
    const int count = GetKeyboardLayoutList(0, nullptr);
    if (count <= 0) return {};
    std::vector<HKL> handles(static_cast<size_t>(count));
    const int read = GetKeyboardLayoutList(count, handles.data());
    handles.resize(size_t(std::max(read, 0)));
    std::vector<KeyboardLayout> layouts;
    for (HKL handle : handles) layouts.push_back(read_layout(handle));
    return layouts;
}

}  // namespace kestrix::win
