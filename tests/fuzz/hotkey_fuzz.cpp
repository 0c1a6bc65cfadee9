// The hotkey text comes from the hand-edited settings file. A parsed hotkey prints
// to a text that parses back to it; ASCII case and the order of the pieces do not
// matter; a refusal names a piece the user actually wrote.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "fuzz_support.h"
#include "kestrix/hotkey.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using kestrix::fuzz::escaped;

namespace {

std::string ascii_upper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = char(c - 'a' + 'A');
    return out;
}

bool same_ignoring_ascii_case(std::string_view a, std::string_view b) { return ascii_lower(a) == ascii_lower(b); }

std::vector<std::string_view> pieces(std::string_view text) {
    std::vector<std::string_view> out;
    for (size_t at = 0;;) {
        const size_t plus = text.find('+', at);
        out.push_back(text.substr(at, plus == std::string_view::npos ? std::string_view::npos : plus - at));
        if (plus == std::string_view::npos) return out;
        at = plus + 1;
    }
}

bool valid(const Hotkey& h) {
    if ((h.modifiers & ~uint32_t(0xF)) != 0) return false;
    if (const auto* c = std::get_if<Hotkey::Char>(&h.key))
        return (c->code >= U'A' && c->code <= U'Z') || (c->code >= U'0' && c->code <= U'9');
    if (const auto* f = std::get_if<Hotkey::Function>(&h.key)) return f->number >= 1 && f->number <= 24;
    return true;
}

// A hotkey prints to plain ASCII without spaces that parses back to it; a key the
// recorder can take gives the same hotkey from its key press.
// `context` says where the hotkey came from, for the message of a failed check.
void check_round_trip(const Hotkey& hotkey, std::string_view context) {
    const auto where = [&] { return "from: " + escaped(context); };
    const std::string text = hotkey.text();
    for (unsigned char c : text) FUZZ_CHECK(c > 0x20 && c < 0x7F, where() + " text: " + escaped(text));
    const auto again = parse_hotkey(text);
    FUZZ_CHECK(again && *again == hotkey, where() + " text: " + text);
    const auto lower = parse_hotkey(ascii_lower(text));
    FUZZ_CHECK(lower && *lower == hotkey, where() + " text: " + text);

    const uint32_t vk = virtual_key(hotkey.key);
    const auto* f = std::get_if<Hotkey::Function>(&hotkey.key);
    const bool recordable = !f || f->number <= 20;
    const auto pressed = hotkey_from_key_press(vk, [&](uint32_t key) {
        switch (key) {
            case 0x11: return (hotkey.modifiers & Hotkey::kCtrl) != 0;
            case 0x12: return (hotkey.modifiers & Hotkey::kAlt) != 0;
            case 0x10: return (hotkey.modifiers & Hotkey::kShift) != 0;
            case 0x5B: return (hotkey.modifiers & Hotkey::kWin) != 0;
            default: return false;
        }
    });
    FUZZ_CHECK(pressed.has_value() == recordable, where() + " text: " + text);
    if (pressed) FUZZ_CHECK(*pressed == hotkey, where() + " text: " + text + " recorded: " + pressed->text());
}

void check_text(std::string_view input) {
    const auto where = [&] { return "input: " + escaped(input); };
    const auto parsed = parse_hotkey(input);
    const auto upper = parse_hotkey(ascii_upper(input));
    const auto lower = parse_hotkey(ascii_lower(input));
    FUZZ_CHECK(parsed.ok() == upper.ok() && parsed.ok() == lower.ok(), where());

    if (!parsed) {
        const HotkeyError& e = parsed.error();
        FUZZ_CHECK(upper.error().kind == e.kind && lower.error().kind == e.kind, where());
        FUZZ_CHECK(same_ignoring_ascii_case(upper.error().token, e.token), where());
        FUZZ_CHECK((e.kind == HotkeyError::Kind::Empty) == trim_space(input).empty(), where());
        if (e.kind == HotkeyError::Kind::UnknownToken) {
            // the piece as written: trimmed, never empty, no "+", found in the input
            FUZZ_CHECK(!e.token.empty() && trim_space(e.token) == e.token, where() + " token: " + escaped(e.token));
            FUZZ_CHECK(e.token.find('+') == std::string::npos && input.find(e.token) != std::string_view::npos,
                       where() + " token: " + escaped(e.token));
            FUZZ_CHECK(e.text().find(e.token) != std::string::npos, where() + " text: " + escaped(e.text()));
        } else {
            FUZZ_CHECK(e.token.empty(), where());
        }
        FUZZ_CHECK(e.text().starts_with("hotkey ") || e.text().starts_with("unknown hotkey token "), where());
        return;
    }

    const Hotkey& hotkey = *parsed;
    FUZZ_CHECK(valid(hotkey), where());
    FUZZ_CHECK(*upper == hotkey && *lower == hotkey, where());
    check_round_trip(hotkey, input);

    // Modifiers may stand before or after the key: the pieces in reverse order give the same.
    std::vector<std::string_view> parts = pieces(input);
    std::string reversed;
    for (size_t i = parts.size(); i-- > 0;) {
        reversed += parts[i];
        if (i > 0) reversed += '+';
    }
    const auto backwards = parse_hotkey(reversed);
    FUZZ_CHECK(backwards && *backwards == hotkey, where() + " reversed: " + escaped(reversed));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::Reader reader(data, size);
    // Every hotkey there is, picked by the first two bytes, prints and parses back.
    const uint8_t kind = reader.byte(), modifiers = reader.byte();
    const Hotkey::Key keys[] = {Hotkey::Char{char32_t('A' + kind % 26)}, Hotkey::Char{char32_t('0' + kind % 10)},
                                Hotkey::Function{uint8_t(1 + kind % 24)}, Hotkey::PrintScreen{}, Hotkey::Insert{}};
    check_round_trip(Hotkey{keys[(kind >> 5) % 5], modifiers & 0xFu}, "built from the first two bytes");

    // Any key press records nothing or a hotkey of that very key; a modifier key alone records nothing.
    const uint32_t vk = kind;
    const auto recorded = hotkey_from_key_press(vk, [&](uint32_t key) { return (modifiers >> (key % 8)) & 1; });
    const bool modifier_key = vk == 0x10 || vk == 0x11 || vk == 0x12 || vk == 0x5B || vk == 0x5C;
    FUZZ_CHECK(!recorded || (!modifier_key && virtual_key(recorded->key) == vk && valid(*recorded)),
               "key press " + std::to_string(vk));

    // The whole input as the text of a hotkey.
    check_text(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
