#include "kestrix/file_io.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <random>
#include <set>
#include <system_error>
#include <utility>

#include "kestrix/file_calls.h"
#include "kestrix/utf8.h"

namespace kestrix {

namespace fs = std::filesystem;

namespace {

// Paths are wide on Windows; the narrow fopen would take them in the ANSI code page.
std::FILE* open_for_reading(const fs::path& path) {
#ifdef _WIN32
    return _wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// An open file that is closed when it goes, unless it was closed on purpose.
class OpenFile {
public:
    explicit OpenFile(file_calls::Handle handle) : handle_(handle) {}
    ~OpenFile() {
        if (handle_ != file_calls::kNoHandle) (void)file_calls::close(handle_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    // Writes, flushes to the disk and closes; the first step's error that failed.
    Result<void, std::string> write_and_close(std::string_view bytes) {
        auto written = file_calls::write_all(handle_, bytes);
        if (written) written = file_calls::flush_to_disk(handle_);
        auto closed = file_calls::close(std::exchange(handle_, file_calls::kNoHandle));
        if (!written) return written;
        return closed;
    }

private:
    file_calls::Handle handle_;
};

// A name beside the target that no file of the user's has: the target's name with
// a random part, created exclusively so that an existing file is never taken over.
struct TemporaryFile {
    fs::path path;
    file_calls::Handle handle = file_calls::kNoHandle;
};

std::string random_hex() {
    static std::atomic<uint64_t> counter{0};
    uint64_t value = counter.fetch_add(0x9E3779B97F4A7C15u) ^
                     uint64_t(std::chrono::steady_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        value ^= uint64_t(device()) << 32 | device();
    } catch (const std::exception&) {
        // No random source: the counter and the clock still differ from one call to the next.
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(value));
    return text;
}

Result<TemporaryFile, file_calls::OpenFailure> create_temporary_beside(const fs::path& target) {
    constexpr int kAttempts = 16;
    file_calls::OpenFailure last;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        // Built from native strings: a name need not fit the ANSI code page on Windows.
        fs::path name(".");
        name += target.filename();
        name += "." + random_hex() + ".tmp";
        const fs::path temp = target.parent_path() / name;
        auto created = file_calls::create_new(temp, target);
        if (created) return TemporaryFile{temp, *created};
        last = std::move(created.error());
        if (!last.exists) break;
    }
    return fail(std::move(last));
}

}  // namespace

std::optional<std::string> read_file(const fs::path& path) {
    std::FILE* file = open_for_reading(path);
    if (file == nullptr) return std::nullopt;
    std::string bytes;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    std::fclose(file);
    if (failed) return std::nullopt;
    return bytes;
}

Result<void, std::string> write_file_atomically(const fs::path& requested, std::string_view bytes) {
    // Replace the file a symbolic link points at, not the link itself.
    std::error_code ec;
    fs::path target = requested;
    if (fs::is_symlink(requested, ec)) {
        fs::path resolved = fs::canonical(requested, ec);
        if (!ec) target = resolved;
    }

    auto temp = create_temporary_beside(target);
    if (!temp) {
        if (temp.error().exists) return fail(std::move(temp.error().text));
        // No file can be created beside the target (a read-only directory with a
        // writable file, say): the plain overwrite is the only way left.
        auto in_place = file_calls::open_truncated(target);
        if (!in_place) return fail(std::move(in_place.error().text));
        return OpenFile(*in_place).write_and_close(bytes);
    }

    if (auto written = OpenFile(temp->handle).write_and_close(bytes); !written) {
        file_calls::remove(temp->path);
        return written;
    }
    if (auto replaced = file_calls::replace(temp->path, target); !replaced) {
        file_calls::remove(temp->path);
        return replaced;
    }
    file_calls::sync_directory(target.parent_path());
    return {};
}

namespace {

// The names the folder holds, lower-cased as far as ASCII goes (names differing only in
// case are the same name on Windows); empty when it cannot be listed.
std::set<std::string> names_in(const fs::path& folder) {
    std::set<std::string> names;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        names.insert(ascii_lower(utf8_from_path(it->path().filename())));
    return names;
}

}  // namespace

Result<fs::path, std::string> write_new_file(const fs::path& folder, const std::function<std::string(uint32_t)>& name_for,
                                             std::string_view bytes) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec) return fail(ec.message());

    // Names already taken are skipped without trying them; the exclusive rename below
    // still refuses a name another program took since the listing.
    const std::set<std::string> taken = names_in(folder);
    constexpr uint32_t kAttempts = 100000;
    uint32_t attempt = 0;
    const auto next_free = [&]() -> std::optional<fs::path> {
        for (; attempt < kAttempts; ++attempt) {
            const std::string name = name_for(attempt);
            if (!taken.contains(ascii_lower(name))) return folder / path_from_utf8(name);
        }
        return std::nullopt;
    };

    auto first = next_free();
    if (!first) return fail(std::string("no free file name"));
    auto temp = create_temporary_beside(*first);
    if (!temp) return fail(std::move(temp.error().text));
    if (auto written = OpenFile(temp->handle).write_and_close(bytes); !written) {
        file_calls::remove(temp->path);
        return fail(std::move(written.error()));
    }
    for (std::optional<fs::path> target = first; target; ++attempt, target = next_free()) {
        auto renamed = file_calls::rename_new(temp->path, *target);
        if (renamed) {
            file_calls::sync_directory(folder);
            return *target;
        }
        if (!renamed.error().exists) {
            file_calls::remove(temp->path);
            return fail(std::move(renamed.error().text));
        }
    }
    file_calls::remove(temp->path);
    return fail(std::string("no free file name"));
}

}  // namespace kestrix
