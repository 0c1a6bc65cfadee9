#pragma once
// The fixed texts the informational options print.
#include <string>
#include <string_view>

#include "kestrix/config.h"

namespace kestrix {

inline constexpr std::string_view kProductName = "Kestrix";

// The help text, without a trailing line feed (printing adds one).
std::string help_text();

// "Kestrix 0.9.22 (windows-gdi)".
std::string version_line(std::string_view platform_name, std::string_view version = KESTRIX_VERSION);

// "Unknown option `-x`.\n\n" followed by the help text.
std::string unknown_option_text(std::string_view argument);

// The help's line that shows how --capture is written.
std::string_view capture_usage_line();

// A bad --capture command: the line that says what is wrong, then the usage line.
std::string bad_arguments_text(std::string_view problem);

// "Config file: <path>", or the no-file text, in the current language.
std::string config_file_line(const LoadedConfig& loaded);

}  // namespace kestrix
