#pragma once
// Shared set-up of the application tests: a platform double, a recorded standard
// output, recorded sleeps, and kestrix.toml places in a temporary directory.
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app_environment.h"
#include "platform_double.h"

namespace kestrix::testing {

// A fresh directory under the system's temporary directory, removed afterwards.
class TempDir {
public:
    TempDir() {
        static std::atomic<int> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("kestrix-app-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

struct AppFixture {
    TempDir root;
    PlatformDouble platform;
    std::vector<std::string> printed;  // one entry per printed message
    std::vector<std::chrono::milliseconds> sleeps;
    AppEnvironment env{platform,
                       ConfigDirs{root.path() / "program", root.path() / "appdata"},
                       [this](std::string_view text) { printed.emplace_back(text); },
                       [this](std::chrono::milliseconds pause) { sleeps.push_back(pause); }};

    std::filesystem::path beside_program() const { return root.path() / "program" / "kestrix.toml"; }
    std::filesystem::path per_user() const { return root.path() / "appdata" / "Kestrix" / "kestrix.toml"; }

    static void write(const std::filesystem::path& path, std::string_view text) {
        std::filesystem::create_directories(path.parent_path());
        std::ofstream out(path, std::ios::binary);
        out << text;
    }
};

}  // namespace kestrix::testing
