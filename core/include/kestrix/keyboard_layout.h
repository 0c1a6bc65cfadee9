#pragma once
// Which characters a shortcut takes from the user's keyboards. A global hotkey
// swallows its combination in every program, so a combination that types a character
// on any installed layout takes that character away: Windows reports AltGr as
// Ctrl+Alt, and AltGr+A is "ą" on a Polish keyboard.
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "kestrix/hotkey.h"

namespace kestrix {

// One installed keyboard layout, as the platform read it: what each key types with
// each set of modifiers.
struct KeyboardLayout {
    struct Key {
        uint32_t virtual_key = 0;
        uint32_t modifiers = 0;  // Hotkey::kCtrl, kAlt and kShift bits
        char32_t character = 0;  // what the key gives; a dead key gives its spacing form
        friend bool operator==(const Key&, const Key&) = default;
    };

    uint32_t id = 0;    // the layout handle's low 32 bits, e.g. 0x04150415
    std::string name;   // its language tag, e.g. "pl-PL"; may be empty
    std::vector<Key> keys;  // the combinations that give a character; the others give none

    std::optional<char32_t> character(uint32_t virtual_key, uint32_t modifiers) const;

    friend bool operator==(const KeyboardLayout&, const KeyboardLayout&) = default;
};

// The keys a hotkey can have that may type: 'A' to 'Z' and '0' to '9'.
bool is_character_key(uint32_t virtual_key);

// The modifier sets a platform reads for every character key: none, Shift, Ctrl,
// Ctrl+Shift, Ctrl+Alt (AltGr) and Ctrl+Alt+Shift. Alt without Ctrl is left out:
// it selects menus and types nothing, though the system reports the plain character.
std::span<const uint32_t> typing_modifier_sets();

// The set a hotkey's modifiers are looked up under, or nothing when the combination
// can never type (any with Win, or Alt without Ctrl).
std::optional<uint32_t> typing_modifiers(uint32_t hotkey_modifiers);

// A character a program would receive as text: not a control character.
bool is_printable(char32_t character);

struct TypedCharacter {
    uint32_t layout_id = 0;
    std::string layout_name;
    char32_t character = 0;
    friend bool operator==(const TypedCharacter&, const TypedCharacter&) = default;
};

// Every layout on which the hotkey types a printable character, in the layouts' order.
std::vector<TypedCharacter> characters_typed(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts);

// The character the hotkey takes from the user: the first one it types on a layout.
// A letter or digit with Shift alone always types, so without a layout that says what
// it names the key itself.
std::optional<char32_t> character_taken(const Hotkey& hotkey, std::span<const KeyboardLayout> layouts);

// "ą": one character as UTF-8.
std::string character_text(char32_t character);

}  // namespace kestrix
