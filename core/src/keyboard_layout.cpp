#include "kestrix/keyboard_layout.h"

#include <array>

namespace kestrix {

namespace {

constexpr uint32_t kTypingBits = Hotkey::kCtrl | Hotkey::kAlt | Hotkey::kShift;

constexpr std::array<uint32_t, 6> kTypingModifierSets = {
    0,
    Hotkey::kShift,
    Hotkey::kCtrl,
    Hotkey::kCtrl | Hotkey::kShift,
    Hotkey::kCtrl | Hotkey::kAlt,
    Hotkey::kCtrl | Hotkey::kAlt | Hotkey::kShift,
};

bool is_shift_only_character(const Hotkey& hotkey) {
    return hotkey.modifiers == Hotkey::kShift && std::holds_alternative<Hotkey::Char>(hotkey.key);
}

}  // namespace

std::optional<char32_t> KeyboardLayout::character(uint32_t virtual_key, uint32_t modifiers) const {
    for (const Key& key : keys)
        if (key.virtual_key == virtual_key && key.modifiers == modifiers) return key.character;
    return std::nullopt;
}

bool is_character_key(uint32_t virtual_key) {
    return (virtual_key >= 'A' && virtual_key <= 'Z') || (virtual_key >= '0' && virtual_key <= '9');
}

std::span<const uint32_t> typing_modifier_sets() { return kTypingModifierSets; }

std::optional<uint32_t> typing_modifiers(uint32_t hotkey_modifiers) {
    if (hotkey_modifiers & Hotkey::kWin) return std::nullopt;
    const uint32_t bits = hotkey_modifiers & kTypingBits;
    if ((bits & Hotkey::kAlt) && !(bits & Hotkey::kCtrl)) return std::nullopt;
    return bits;
}

bool is_printable(char32_t character) {
    if (character < 0x20 || character == 0x7F) return false;
    if (character >= 0x80 && character <= 0x9F) return false;
    return character <= 0x10FFFF && !(character >= 0xD800 && character <= 0xDFFF);
}

std::vector<TypedCharacter> characters_typed(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts) {
    std::vector<TypedCharacter> typed;
    const uint32_t key = virtual_key(hotkey.key);
    const std::optional<uint32_t> modifiers = typing_modifiers(hotkey.modifiers);
    if (!is_character_key(key) || !modifiers) return typed;
    for (const KeyboardLayout& layout : layouts) {
        const std::optional<char32_t> character = layout.character(key, *modifiers);
        if (character && is_printable(*character)) typed.push_back({layout.id, layout.name, *character});
    }
    return typed;
}

std::optional<char32_t> character_taken(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts) {
    const std::vector<TypedCharacter> typed = characters_typed(hotkey, layouts);
    if (!typed.empty()) return typed.front().character;
    if (is_shift_only_character(hotkey)) return std::get<Hotkey::Char>(hotkey.key).code;
    return std::nullopt;
}

std::string character_text(char32_t c) {
    if (!is_printable(c)) c = 0xFFFD;
    std::string out;
    if (c < 0x80) {
        out += char(c);
    } else if (c < 0x800) {
        out += char(0xC0 | (c >> 6));
        out += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += char(0xE0 | (c >> 12));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    } else {
        out += char(0xF0 | (c >> 18));
        out += char(0x80 | ((c >> 12) & 0x3F));
        out += char(0x80 | ((c >> 6) & 0x3F));
        out += char(0x80 | (c & 0x3F));
    }
    return out;
}

}  // namespace kestrix
