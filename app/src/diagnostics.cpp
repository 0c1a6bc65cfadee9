#include "diagnostics.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <limits>

#include "answers.h"
#include "kestrix/hotkey_choice.h"
#include "kestrix/i18n.h"
#include "text_layout.h"

namespace kestrix {

namespace {

// A side in captured pixels: side x scale / 100, 0 for a non-positive side, capped at 32 bits.
uint64_t captured_pixels(int32_t side, uint32_t scale) {
    if (side <= 0) return 0;
    const uint64_t pixels = uint64_t(side) * (scale == 0 ? 100u : scale) / 100u;
    return std::min<uint64_t>(pixels, std::numeric_limits<uint32_t>::max());
}

std::string number(int64_t value) { return std::to_string(value); }

// "pl-PL 04150415": the language tag and the layout handle, as support staff look them up.
std::string layout_label(uint32_t id, const std::string& name) {
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08X", unsigned(id));
    return name.empty() ? std::string(hex) : name + " " + hex;
}

}  // namespace

std::string rect_debug_text(const Rect& rect) {
    return "Rect { x: " + number(rect.x) + ", y: " + number(rect.y) + ", width: " + number(rect.width) +
           ", height: " + number(rect.height) + " }";
}

std::string keyboard_report(const LoadedConfig& loaded, std::span<const KeyboardLayout> layouts) {
    std::string report = "Keyboard layouts:";
    for (size_t i = 0; i < layouts.size(); ++i)
        report += (i == 0 ? " " : ", ") + layout_label(layouts[i].id, layouts[i].name);
    if (layouts.empty()) report += " none reported";
    report += "\n";
    const Hotkey& configured = loaded.values.hotkey;
    for (const TypedCharacter& typed : characters_typed(configured, layouts))
        report += "  " + configured.text() + " types \"" + character_text(typed.character) + "\" with " +
                  layout_label(typed.layout_id, typed.layout_name) + "\n";
    const StartHotkey start = start_hotkey(configured, loaded.hotkey_written, layouts);
    if (start.fallback) report += "  in force instead: " + start.hotkey.text() + ", which types nothing on these layouts\n";
    return report;
}

std::string monitor_report_line(const Monitor& m) {
    return "  " + std::string(m.primary ? "*" : " ") + pad_left(number(m.rect.x), 6) + "," +
           pad_right(number(m.rect.y), 6) + " " + pad_left(number(m.rect.width), 5) + "x" +
           pad_right(number(m.rect.height), 5) + " units   " + std::to_string(captured_pixels(m.rect.width, m.pixel_scale)) +
           "x" + std::to_string(captured_pixels(m.rect.height, m.pixel_scale)) + " px   ui " +
           std::to_string(m.ui_scale) + "%   pixels " + std::to_string(m.pixel_scale) + "%\n";
}

std::string tile_report_line(const Tile& tile) {
    return "  ok  " + pad_left(number(tile.rect.width), 5) + "x" + pad_right(number(tile.rect.height), 5) +
           " units -> " + std::to_string(tile.image.width()) + "x" + std::to_string(tile.image.height()) + " px at " +
           std::to_string(tile.scale) + "%\n";
}

std::string diagnostics_report(Platform& platform, const ConfigDirs& config_dirs) {
    std::string report = version_line(platform.platform_name()) + "\n";

    if (auto prepared = platform.prepare(); !prepared)
        report += "\nprepare() failed: " + prepared.error().plain() + "\n";

    for (const std::string& line : platform.diagnostic_lines()) report += line + "\n";

    const LoadedConfig loaded = load_config(config_dirs);
    report += "\nCapture hotkey: " + loaded.values.hotkey.text() + "\n";
    report += config_file_line(loaded) + "\n";
    for (const ConfigWarning& warning : loaded.warnings) report += "  config " + warning.text() + "\n";
    report += keyboard_report(loaded, platform.keyboard_layouts());

    auto monitors = platform.enumerate_monitors();
    if (!monitors) {
        report += "\nScreens could not be read: " + monitors.error().plain() + "\n";
        return report;
    }
    report += "\nVirtual desktop: " + rect_debug_text(virtual_desktop(*monitors)) + "\n";
    report += std::to_string(monitors->size()) + " screen(s), in desktop units:\n";
    for (const Monitor& monitor : *monitors) report += monitor_report_line(monitor);
    report += "  (* = primary; the desktop origin is its top-left corner)\n";
    report += "\nCapture test:\n";

    auto frame = platform.capture_desktop(*monitors);
    if (!frame) {
        report += "  FAILED: " + frame.error().plain() + "\n";
        return report;
    }
    for (const Tile& tile : frame->tiles) report += tile_report_line(tile);
    // The report only needed the sizes; screen pixels are not kept around.
    frame->wipe();
    return report;
}

}  // namespace kestrix
