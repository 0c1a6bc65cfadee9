#pragma once
// Everything the application needs from outside itself, handed in by the entry point
// (or by a test): the platform, where kestrix.toml may live, standard output, sleep
// and the update feed the program was built with.
#include <chrono>
#include <functional>
#include <string_view>

#include "kestrix/config.h"
#include "kestrix/platform.h"
#include "kestrix/update.h"

namespace kestrix {

struct AppEnvironment {
    Platform& platform;
    ConfigDirs config_dirs;
    // Prints one message on standard output; the sink adds the line feed.
    std::function<void(std::string_view)> print;
    // Waits between single-instance claims after an update.
    std::function<void(std::chrono::milliseconds)> sleep;
    // Fixed at build time; empty in a build without a feed.
    UpdateFeed update_feed;
};

}  // namespace kestrix
