#include "command_line.h"

#include "kestrix/utf8.h"

namespace kestrix {

namespace {

bool is_blank(char16_t c) { return c == u' ' || c == u'\t'; }

// The program name: quotes toggle grouping and are dropped, backslashes are plain.
size_t read_program_name(std::u16string_view line, std::u16string& name) {
    size_t at = 0;
    bool quoted = false;
    for (; at < line.size(); ++at) {
        const char16_t c = line[at];
        if (c == u'"') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && is_blank(c)) break;
        name += c;
    }
    return at;
}

}  // namespace

std::vector<std::string> split_command_line(std::u16string_view line) {
    std::vector<std::string> arguments;
    // A NUL ends the line, as it does for the runtime reading a C string.
    if (const size_t nul = line.find(u'\0'); nul != std::u16string_view::npos) line = line.substr(0, nul);

    std::u16string current;
    size_t at = read_program_name(line, current);
    arguments.push_back(utf8_from_utf16(current));

    for (;;) {
        while (at < line.size() && is_blank(line[at])) ++at;
        if (at == line.size()) break;

        current.clear();
        bool quoted = false;
        for (;;) {
            size_t backslashes = 0;
            while (at < line.size() && line[at] == u'\\') {
                ++at;
                ++backslashes;
            }
            bool copy = true;
            if (at < line.size() && line[at] == u'"') {
                if (backslashes % 2 == 0) {
                    if (quoted && at + 1 < line.size() && line[at + 1] == u'"') {
                        ++at;  // "" inside quotes: one literal quote, still quoted
                    } else {
                        copy = false;
                        quoted = !quoted;
                    }
                }
                backslashes /= 2;
            }
            current.append(backslashes, u'\\');
            if (at == line.size() || (!quoted && is_blank(line[at]))) break;
            if (copy) current += line[at];
            ++at;
        }
        arguments.push_back(utf8_from_utf16(current));
    }
    return arguments;
}

Command parse_command(std::span<const std::string> arguments) {
    using Kind = Command::Kind;
    if (arguments.empty()) return {Kind::Run, {}};
    const std::string& first = arguments.front();
    struct Option {
        std::string_view text;
        Kind kind;
    };
    static constexpr Option kOptions[] = {
        {"--after-update", Kind::AfterUpdate}, {"--help", Kind::Help},
        {"-h", Kind::Help},                    {"/?", Kind::Help},
        {"--version", Kind::Version},          {"-V", Kind::Version},
        {"--print-config", Kind::PrintConfig}, {"--config-path", Kind::ConfigPath},
        {"--diagnose", Kind::Diagnose},        {"--at-login", Kind::AtLogin},
    };
    for (const Option& option : kOptions)
        if (first == option.text) return {option.kind, {}};
    return {Kind::Unknown, first};
}

}  // namespace kestrix
