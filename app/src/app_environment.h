#pragma once
// Everything the application needs from outside itself, handed in by the entry point
// (or by a test): the platform, where kestrix.toml may live, standard output and sleep.
#include <chrono>
#include <functional>
#include <string_view>

#include "kestrix/config.h"
#include "kestrix/platform.h"

namespace kestrix {

struct AppEnvironment {
    Platform& platform;
    ConfigDirs config_dirs;
    // Prints one message on standard output; the sink adds the line feed.
    std::function<void(std::string_view)> print;
    // Waits between single-instance claims after an update.
    std::function<void(std::chrono::milliseconds)> sleep;
};

}  // namespace kestrix
