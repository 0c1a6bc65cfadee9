#include "command_line.h"

#include <charconv>

#include "kestrix/i18n.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace {

Command bad(std::string problem) { return {Command::Kind::BadArguments, std::move(problem), {}}; }

// A whole decimal number that fits the type, with one optional leading "-" where signed.
template <class Number>
std::optional<Number> whole_number(std::string_view text) {
    Number value{};
    if (text.empty() || text.front() == '+') return std::nullopt;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<uint32_t> delay_seconds(std::string_view text) {
    const auto seconds = whole_number<uint32_t>(text);
    if (!seconds || *seconds > kMaxDelaySeconds) return std::nullopt;
    return seconds;
}

// "X,Y,W,H" with a width and height of at least 1.
std::optional<Rect> rectangle(std::string_view text) {
    std::vector<int32_t> fields;
    for (;;) {
        const size_t comma = text.find(',');
        const auto field = whole_number<int32_t>(text.substr(0, comma));
        if (!field || fields.size() == 4) return std::nullopt;
        fields.push_back(*field);
        if (comma == std::string_view::npos) break;
        text.remove_prefix(comma + 1);
    }
    if (fields.size() != 4 || fields[2] < 1 || fields[3] < 1) return std::nullopt;
    return Rect{fields[0], fields[1], fields[2], fields[3]};
}

// The options after "--capture MODE"; `rest` starts after the mode.
Command parse_capture(CaptureMode mode, std::span<const std::string> rest) {
    Command command{Command::Kind::Capture, {}, {}};
    CaptureCommand& capture = command.capture;
    capture.request.mode = mode;
    bool delay_given = false;
    for (size_t at = 0; at < rest.size(); ++at) {
        const std::string& option = rest[at];
        const std::optional<std::string> value =
            at + 1 < rest.size() ? std::optional<std::string>(rest[at + 1]) : std::nullopt;
        const auto given_twice = [&] { return bad(option + " is given twice."); };
        if (option == "--delay") {
            if (delay_given) return given_twice();
            if (!value) return bad("--delay needs a number of seconds.");
            const auto seconds = delay_seconds(*value);
            if (!seconds) return bad(format_message("--delay takes whole seconds from 0 to 60, not `{}`.", *value));
            capture.request.delay_seconds = *seconds;
            delay_given = true;
        } else if (option == "--output") {
            if (capture.output) return given_twice();
            if (!value || value->empty()) return bad("--output needs a file name.");
            capture.output = *value;
        } else if (option == "--rect") {
            if (capture.rect) return given_twice();
            if (!value) return bad("--rect needs X,Y,W,H.");
            capture.rect = rectangle(*value);
            if (!capture.rect)
                return bad(format_message(
                    "--rect takes X,Y,W,H in desktop units, with a width and height of at least 1, not `{}`.", *value));
        } else {
            return bad(format_message("Unknown option `{}` after --capture.", option));
        }
        ++at;  // the value
    }
    if (capture.rect && mode != CaptureMode::Region) return bad("--rect goes with --capture region only.");
    if (capture.rect && !capture.output) return bad("--rect goes with --output only.");
    if (capture.output && mode == CaptureMode::LastRegion)
        return bad("--output does not go with --capture last: only the running Kestrix knows its last region.");
    if (capture.output && mode == CaptureMode::Region && !capture.rect)
        return bad("--capture region --output needs --rect X,Y,W,H.");
    return command;
}

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
    if (first == "--capture") {
        if (arguments.size() < 2) return bad("--capture needs a mode: region, last, screen or window.");
        const auto mode = capture_mode_named(arguments[1]);
        if (!mode) return bad(format_message("`{}` is not a capture mode: use region, last, screen or window.", arguments[1]));
        return parse_capture(*mode, arguments.subspan(2));
    }
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
        if (first == option.text) return {option.kind, {}, {}};
    return {Kind::Unknown, first, {}};
}

}  // namespace kestrix
