#pragma once
// The support report of "--diagnose": what the program sees of the machine.
#include <string>

#include "kestrix/config.h"
#include "kestrix/frame.h"
#include "kestrix/platform.h"

namespace kestrix {

// Builds the whole report, calling prepare, diagnostic_lines, keyboard_layouts,
// enumerate_monitors and capture_desktop in that order. It never fails: every failure becomes a line. The
// text ends with a line feed; printing adds the final empty line.
std::string diagnostics_report(Platform& platform, const ConfigDirs& config_dirs);

// "Rect { x: -1280, y: 0, width: 3200, height: 1080 }".
std::string rect_debug_text(const Rect& rect);

// The keyboard lines: the layouts, every character the configured hotkey types on
// one of them, and the hotkey in force when a fallback stands in for the default.
std::string keyboard_report(const LoadedConfig& loaded, std::span<const KeyboardLayout> layouts);

// One monitor's line of the report, including its line feed.
std::string monitor_report_line(const Monitor& monitor);

// One tile's line of the capture test, including its line feed.
std::string tile_report_line(const Tile& tile);

}  // namespace kestrix
