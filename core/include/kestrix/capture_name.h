#pragma once
// The names captures are saved under in the capture folder, and the picture format
// a chosen file name asks for.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "kestrix/local_time.h"

namespace kestrix {

inline constexpr std::string_view kDefaultFileNamePattern = "Kestrix {date} {time}";

// Why a pattern cannot name files: empty, or a "{token}" other than {date}, {time}
// and {counter}; nothing when it can.
std::optional<std::string> file_name_pattern_problem(std::string_view pattern);

// The longest file name (in UTF-16 units, as Windows counts) that fits in `folder_units`
// units of folder path with the separator and the whole path within the classic limit
// of 259 units; never more than the 255 of one name, never less than 16.
size_t file_name_budget(size_t folder_units);

// The name to try on attempt `attempt` (0 first) for a capture taken at `time`:
// {date} gives 2026-12-09, {time} 201530 and {counter} attempt + 1; without {counter}
// the later attempts put " (2)", " (3)" … before the extension. Characters Windows
// forbids in names become "_", spaces and dots at the ends go, a device name (CON,
// NUL, COM1 …) gains a "_" in front, and the stem is cut so that the whole name keeps
// within `max_units` UTF-16 units. `extension` includes its dot, e.g. ".png".
std::string capture_file_name(std::string_view pattern, const LocalTime& time, uint32_t attempt,
                              std::string_view extension, size_t max_units = 255);

enum class PictureFormat { Png, Jpeg };

// JPEG for a name ending in .jpg, .jpeg, .jpe or .jfif (any case); PNG otherwise.
PictureFormat picture_format_for(std::string_view file_name);

// The quality JPEG files are written at.
inline constexpr uint8_t kJpegQuality = 90;

}  // namespace kestrix
