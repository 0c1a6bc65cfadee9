#pragma once
// The one global capture shortcut: its value, its text form (the same on every
// platform, Mac modifier names accepted) and its virtual-key code.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "kestrix/result.h"

namespace kestrix {

struct Hotkey {
    // Modifier bits, equal to the Windows MOD_* flags so the set goes to RegisterHotKey unchanged.
    enum : uint32_t { kAlt = 1, kCtrl = 2, kShift = 4, kWin = 8 };

    struct Char {
        char32_t code = U'A';  // 'A'..'Z' or '0'..'9'
        friend bool operator==(const Char&, const Char&) = default;
    };
    struct Function {
        uint8_t number = 1;  // 1..24
        friend bool operator==(const Function&, const Function&) = default;
    };
    struct PrintScreen {
        friend bool operator==(const PrintScreen&, const PrintScreen&) = default;
    };
    struct Insert {
        friend bool operator==(const Insert&, const Insert&) = default;
    };
    using Key = std::variant<Char, Function, PrintScreen, Insert>;

    // A default-constructed Hotkey is the default shortcut, Ctrl+Alt+A.
    Key key = Char{U'A'};
    uint32_t modifiers = kCtrl | kAlt;

    // The display form, e.g. "Ctrl+Alt+A", "Shift+F12", "PrintScreen"; parse_hotkey reads it back.
    std::string text() const;

    friend bool operator==(const Hotkey&, const Hotkey&) = default;
};

struct HotkeyError {
    enum class Kind { Empty, NoKey, MoreThanOneKey, UnknownToken };
    Kind kind = Kind::Empty;
    std::string token;  // UnknownToken: the piece as the user wrote it, trimmed

    // "hotkey is empty", "hotkey has no non-modifier key", ...
    std::string text() const;

    friend bool operator==(const HotkeyError&, const HotkeyError&) = default;
};

// Reads "Ctrl+Alt+A", "cmd + shift + 4", "PrtSc", "f07", ...; fails on the first bad piece.
Result<Hotkey, HotkeyError> parse_hotkey(std::string_view text);

// The Windows virtual-key code of a key ('A' = 0x41, F1 = 0x70, PrintScreen = 0x2C, Insert = 0x2D).
uint32_t virtual_key(const Hotkey::Key& key);

// Answers whether a virtual key is held down at this moment. The Windows recorder passes
// [](uint32_t vk) { return GetKeyState(int(vk)) < 0; }; tests pass a fixed set.
using KeyStateSource = std::function<bool(uint32_t virtual_key)>;

// The hotkey a key press records: nothing for a modifier key alone or a key that cannot be
// recorded (F21 to F24 included); otherwise the key with the modifiers held right now.
std::optional<Hotkey> hotkey_from_key_press(uint32_t virtual_key, const KeyStateSource& key_is_down);

}  // namespace kestrix
