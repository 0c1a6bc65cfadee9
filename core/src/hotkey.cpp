#include "kestrix/hotkey.h"

#include <array>

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

struct ModifierWord {
    std::string_view word;
    uint32_t bit;
};

constexpr std::array<ModifierWord, 10> kModifierWords = {{
    {"ctrl", Hotkey::kCtrl},
    {"control", Hotkey::kCtrl},
    {"alt", Hotkey::kAlt},
    {"option", Hotkey::kAlt},
    {"shift", Hotkey::kShift},
    {"win", Hotkey::kWin},
    {"super", Hotkey::kWin},
    {"meta", Hotkey::kWin},
    {"cmd", Hotkey::kWin},
    {"command", Hotkey::kWin},
}};

std::optional<uint32_t> modifier_bit(std::string_view lower) {
    for (const auto& m : kModifierWords)
        if (m.word == lower) return m.bit;
    return std::nullopt;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_ascii_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// The key a piece names, nothing for an unknown token.
std::optional<Hotkey::Key> key_from_piece(std::string_view piece) {
    const std::string lower = ascii_lower(piece);
    if (lower == "printscreen" || lower == "prtsc" || lower == "prtscn" || lower == "snapshot")
        return Hotkey::PrintScreen{};
    if (lower == "insert" || lower == "ins") return Hotkey::Insert{};
    if (lower.size() >= 2 && lower[0] == 'f') {
        const std::string_view digits = std::string_view(lower).substr(1);
        bool all_digits = true;
        for (char c : digits) all_digits = all_digits && is_digit(c);
        if (all_digits) {
            // Leading zeros are fine ("f07"); anything past 255 does not fit and is refused.
            unsigned number = 0;
            for (char c : digits) {
                number = number * 10 + unsigned(c - '0');
                if (number > 255) return std::nullopt;
            }
            if (number < 1 || number > 24) return std::nullopt;
            return Hotkey::Function{uint8_t(number)};
        }
    }
    if (piece.size() == 1 && (is_ascii_letter(piece[0]) || is_digit(piece[0]))) {
        char c = piece[0];
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
        return Hotkey::Char{char32_t(c)};
    }
    return std::nullopt;
}

}  // namespace

std::string Hotkey::text() const {
    std::string out;
    if (modifiers & kCtrl) out += "Ctrl+";
    if (modifiers & kAlt) out += "Alt+";
    if (modifiers & kShift) out += "Shift+";
    if (modifiers & kWin) out += "Win+";
    if (auto* c = std::get_if<Char>(&key)) {
        // Only ASCII letters and digits are ever stored.
        out += char(c->code);
    } else if (auto* f = std::get_if<Function>(&key)) {
        out += 'F';
        out += std::to_string(f->number);
    } else if (std::holds_alternative<PrintScreen>(key)) {
        out += "PrintScreen";
    } else {
        out += "Insert";
    }
    return out;
}

std::string HotkeyError::text() const {
    switch (kind) {
        case Kind::Empty: return "hotkey is empty";
        case Kind::NoKey: return "hotkey has no non-modifier key";
        case Kind::MoreThanOneKey: return "hotkey has more than one key";
        case Kind::UnknownToken: return "unknown hotkey token `" + token + "`";
    }
    return {};
}

Result<Hotkey, HotkeyError> parse_hotkey(std::string_view text) {
    text = trim_space(text);
    if (text.empty()) return fail(HotkeyError{HotkeyError::Kind::Empty, {}});

    uint32_t modifiers = 0;
    std::optional<Hotkey::Key> key;
    size_t start = 0;
    while (start <= text.size()) {
        size_t plus = text.find('+', start);
        if (plus == std::string_view::npos) plus = text.size();
        const std::string_view piece = trim_space(text.substr(start, plus - start));
        start = plus + 1;
        if (piece.empty()) continue;  // "Ctrl++A" and a trailing "+" are harmless

        if (auto bit = modifier_bit(ascii_lower(piece))) {
            modifiers |= *bit;
            continue;
        }
        auto found = key_from_piece(piece);
        if (!found) return fail(HotkeyError{HotkeyError::Kind::UnknownToken, std::string(piece)});
        if (key) return fail(HotkeyError{HotkeyError::Kind::MoreThanOneKey, {}});
        key = *found;
    }
    if (!key) return fail(HotkeyError{HotkeyError::Kind::NoKey, {}});
    return Hotkey{*key, modifiers};
}

uint32_t virtual_key(const Hotkey::Key& key) {
    if (auto* c = std::get_if<Hotkey::Char>(&key)) return uint32_t(c->code);
    if (auto* f = std::get_if<Hotkey::Function>(&key)) return 0x6Fu + f->number;
    if (std::holds_alternative<Hotkey::PrintScreen>(key)) return 0x2C;
    return 0x2D;
}

std::optional<Hotkey> hotkey_from_key_press(uint32_t vk, const KeyStateSource& key_is_down) {
    constexpr uint32_t kShiftKey = 0x10, kCtrlKey = 0x11, kAltKey = 0x12, kLeftWin = 0x5B, kRightWin = 0x5C;
    if (vk == kShiftKey || vk == kCtrlKey || vk == kAltKey || vk == kLeftWin || vk == kRightWin)
        return std::nullopt;

    // The recordable keys; F21 to F24 are left out because keyboards rarely have them,
    // though the configuration file accepts them.
    std::optional<Hotkey::Key> key;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9'))
        key = Hotkey::Char{char32_t(vk)};
    else if (vk >= 0x70 && vk <= 0x70 + 19)
        key = Hotkey::Function{uint8_t(vk - 0x6F)};
    else if (vk == 0x2C)
        key = Hotkey::PrintScreen{};
    else if (vk == 0x2D)
        key = Hotkey::Insert{};
    if (!key) return std::nullopt;

    uint32_t modifiers = 0;
    if (key_is_down(kCtrlKey)) modifiers |= Hotkey::kCtrl;
    if (key_is_down(kAltKey)) modifiers |= Hotkey::kAlt;
    if (key_is_down(kShiftKey)) modifiers |= Hotkey::kShift;
    if (key_is_down(kLeftWin) || key_is_down(kRightWin)) modifiers |= Hotkey::kWin;
    return Hotkey{*key, modifiers};
}

}  // namespace kestrix
