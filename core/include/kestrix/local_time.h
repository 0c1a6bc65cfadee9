#pragma once
// The local wall-clock time and the file name a capture is saved under by default.
#include <cstdint>
#include <string>

namespace kestrix {

// The local wall-clock time, for default file names.
struct LocalTime {
    uint16_t year = 1970;
    uint8_t month = 1;  // 1..12
    uint8_t day = 1;    // 1..31
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    friend bool operator==(const LocalTime&, const LocalTime&) = default;
};

// "Kestrix 2026-03-02 09-05-03.png": the year in four digits, the rest in two.
std::string default_file_name(const LocalTime& time);

}  // namespace kestrix
