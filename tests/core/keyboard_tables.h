#pragma once
// Three keyboard layouts as the Windows platform reads them (ToUnicodeEx for every
// letter and digit key under each modifier set it asks about): US English, German
// and Polish (programmers). Ctrl and Ctrl+Shift give control characters, as they do
// on Windows; only German and Polish have AltGr (Ctrl+Alt) characters.
#include <string>
#include <vector>

#include "kestrix/keyboard_layout.h"

namespace kestrix::test {

inline constexpr uint32_t kCtrlAlt = Hotkey::kCtrl | Hotkey::kAlt;

// Letters and digits as on a US keyboard, with the control characters of Ctrl.
inline KeyboardLayout latin_layout(uint32_t id, std::string name, std::u32string shifted_digits) {
    KeyboardLayout layout{id, std::move(name), {}};
    for (char32_t letter = U'A'; letter <= U'Z'; ++letter) {
        const uint32_t vk = uint32_t(letter);
        layout.keys.push_back({vk, 0, letter - U'A' + U'a'});
        layout.keys.push_back({vk, Hotkey::kShift, letter});
        layout.keys.push_back({vk, Hotkey::kCtrl, letter - U'A' + 1});
        layout.keys.push_back({vk, Hotkey::kCtrl | Hotkey::kShift, letter - U'A' + 1});
    }
    for (char32_t digit = U'0'; digit <= U'9'; ++digit) {
        const uint32_t vk = uint32_t(digit);
        layout.keys.push_back({vk, 0, digit});
        layout.keys.push_back({vk, Hotkey::kShift, shifted_digits[size_t(digit - U'0')]});
    }
    layout.keys.push_back({'2', Hotkey::kCtrl | Hotkey::kShift, 0x00});
    layout.keys.push_back({'6', Hotkey::kCtrl | Hotkey::kShift, 0x1E});
    return layout;
}

inline KeyboardLayout us_layout() { return latin_layout(0x04090409, "en-US", U")!@#$%^&*("); }

inline KeyboardLayout german_layout() {
    KeyboardLayout layout = latin_layout(0x04070407, "de-DE", U"=!\"§$%&/()");
    for (const auto& [vk, character] : {std::pair{uint32_t('Q'), U'@'}, {uint32_t('E'), U'€'}, {uint32_t('M'), U'µ'},
                                        {uint32_t('2'), U'²'}, {uint32_t('3'), U'³'}, {uint32_t('7'), U'{'},
                                        {uint32_t('8'), U'['}, {uint32_t('9'), U']'}, {uint32_t('0'), U'}'}})
        layout.keys.push_back({vk, kCtrlAlt, character});
    return layout;
}

inline KeyboardLayout polish_layout() {
    KeyboardLayout layout = latin_layout(0x04150415, "pl-PL", U")!@#$%^&*(");
    const std::u32string letters = U"ACELNOSXZ", small = U"ąćęłńóśźż", capital = U"ĄĆĘŁŃÓŚŹŻ";
    for (size_t i = 0; i < letters.size(); ++i) {
        layout.keys.push_back({uint32_t(letters[i]), kCtrlAlt, small[i]});
        layout.keys.push_back({uint32_t(letters[i]), kCtrlAlt | Hotkey::kShift, capital[i]});
    }
    layout.keys.push_back({'U', kCtrlAlt, U'€'});
    return layout;
}

inline std::vector<KeyboardLayout> us_only() { return {us_layout()}; }

}  // namespace kestrix::test
