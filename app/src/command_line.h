#pragma once
// The process command line as the Microsoft C runtime splits it, and the command
// its first argument asks for.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/capture_modes.h"
#include "kestrix/rect.h"

namespace kestrix {

// Splits a whole command line (program name first) the way the C runtime fills argv:
// blanks and tabs separate; double quotes group and are removed; inside quotes a doubled
// quote is a literal one; backslashes are literal unless they precede a quote, where
// each pair gives one backslash and an odd one escapes the quote. The program name is
// read by the simpler rule (quotes only, no escapes). UTF-16 in, UTF-8 out.
std::vector<std::string> split_command_line(std::u16string_view command_line);

// "--capture MODE [--delay SECONDS] [--output FILE [--rect X,Y,W,H]]".
struct CaptureCommand {
    CaptureRequest request;
    std::optional<std::string> output;  // the file to write instead of opening the overlay
    std::optional<Rect> rect;           // the region to write, desktop units

    friend bool operator==(const CaptureCommand&, const CaptureCommand&) = default;
};

struct Command {
    enum class Kind {
        Run, AfterUpdate, AtLogin, Help, Version, PrintConfig, ConfigPath, Diagnose, Capture, BadArguments, Unknown
    };
    Kind kind = Kind::Run;
    std::string argument;  // Unknown: the argument as given; BadArguments: one line saying what is wrong
    CaptureCommand capture;

    friend bool operator==(const Command&, const Command&) = default;
};

// Only the first argument after the program name decides; matching is exact and
// case-sensitive. After "--capture" the rest are the capture's own options, in any order.
Command parse_command(std::span<const std::string> arguments_after_program);

}  // namespace kestrix
