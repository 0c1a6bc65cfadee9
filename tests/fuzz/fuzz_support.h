#pragma once
// Shared by the fuzz targets: a property check that stops the run with the
// reason (libFuzzer then keeps the input as a crash artifact), and a reader
// that takes small typed values from the front of an input.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace kestrix::fuzz {

// Bytes outside printable ASCII as \xNN, for messages about an input.
inline std::string escaped(std::string_view text) {
    std::string out;
    for (unsigned char c : text) {
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += char(c);
        } else {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    return out;
}

[[noreturn]] inline void property_failed(const char* condition, const char* file, int line, const std::string& detail) {
    std::fprintf(stderr, "%s:%d: property does not hold: %s\n", file, line, condition);
    if (!detail.empty()) std::fprintf(stderr, "  %s\n", detail.c_str());
    std::abort();
}

// Takes values from the front of the input; past its end every value is zero.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t remaining() const { return size_ - at_; }

    uint8_t byte() { return at_ < size_ ? data_[at_++] : 0; }

    uint32_t u32() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | byte();
        return value;
    }

    // A number in [lo, hi].
    uint32_t in_range(uint32_t lo, uint32_t hi) {
        const uint64_t span = uint64_t(hi) - lo + 1;
        return uint32_t(lo + (hi - lo < 256 ? byte() : u32()) % span);
    }

    // Up to `max` bytes as a view into the input.
    std::string_view bytes(size_t max) {
        const size_t n = std::min(max, remaining());
        const std::string_view out(reinterpret_cast<const char*>(data_) + at_, n);
        at_ += n;
        return out;
    }

    std::string_view rest() { return bytes(remaining()); }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

}  // namespace kestrix::fuzz

#define FUZZ_CHECK(condition, detail)                                                          \
    do {                                                                                       \
        if (!(condition)) ::kestrix::fuzz::property_failed(#condition, __FILE__, __LINE__, detail); \
    } while (0)
