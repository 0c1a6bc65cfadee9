#include "answers.h"

#include "kestrix/hotkey.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"
#include "text_layout.h"

namespace kestrix {

std::string_view capture_usage_line() {
    return "Usage: kestrix --capture region|last|screen|window [--delay SECONDS] [--output FILE [--rect X,Y,W,H]]";
}

std::string bad_arguments_text(std::string_view problem) {
    return std::string(problem) + "\n" + std::string(capture_usage_line());
}

std::string help_text() {
    // The default shortcut, not the configured one: help never reads the configuration.
    const std::string hotkey = Hotkey{}.text();
    auto row = [](std::string_view key, std::string_view what) {
        return "  " + pad_right(key, 14) + " " + std::string(what) + "\n";
    };
    std::string text =
        "One shortcut. Capture, copy, continue.\n"
        "\n"
        "Kestrix runs in the notification area with no main window. Its menu has\n"
        "Settings\u2026, where the capture shortcut and the language can be changed.\n"
        "\n";
    text += row(hotkey, "capture a region (configurable)");
    text += row("drag", "select; the size is shown while you drag");
    text += row("release", "the selection stays put and the mark-up tools appear");
    text += row("Enter", "copy to the clipboard and close");
    text += row("Ctrl+S", "copy and open \"Save as\"");
    text += row("Esc", "cancel; nothing is copied and nothing is written");
    text +=
        "\n"
        "Options:\n"
        "  --print-config   show the current settings as a config file\n"
        "  --config-path    show which config file is in use\n"
        "  --diagnose       show the detected screens, scales and permissions\n"
        "  --version        show the version\n"
        "  --help           show this text\n"
        "  --capture MODE   capture now: region (drag one out), last (the previous\n"
        "                   region again), screen (the monitor under the pointer)\n"
        "                   or window (the active one), ready to mark up and copy\n"
        "  --delay SECONDS  with --capture: wait 0 to 60 seconds first\n"
        "  --output FILE    with --capture: write the picture to FILE as PNG and\n"
        "                   print its path, with no overlay (screen, window, or\n"
        "                   region with --rect X,Y,W,H in desktop units)\n"
        "\n";
    text += capture_usage_line();
    text +=
        "\n"
        "\n"
        "Kestrix does not upload screenshots and collects no data about how you use it.\n"
        "It reaches the network to ask whether there is a newer version -- now and then\n"
        "on its own, which you can turn off in Settings, and whenever you pick Check for\n"
        "Updates -- and when you send a capture to a device on your own network. Asking\n"
        "about a version fetches a small signed text file; like any HTTP client it sends\n"
        "the version it is asking on behalf of, and nothing else about you.";
    return text;
}

std::string version_line(std::string_view platform_name, std::string_view version) {
    return std::string(kProductName) + " " + std::string(version) + " (" + std::string(platform_name) + ")";
}

std::string unknown_option_text(std::string_view argument) {
    return "Unknown option `" + std::string(argument) + "`.\n\n" + help_text();
}

std::string config_file_line(const LoadedConfig& loaded) {
    if (loaded.source == ConfigSource::None || !loaded.path) return std::string(msg(Message::about_no_config));
    return msg(Message::about_config_file, utf8_from_path(*loaded.path));
}

}  // namespace kestrix
