#include "kestrix/local_time.h"

#include <cstdio>

namespace kestrix {

std::string default_file_name(const LocalTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "Kestrix %04u-%02u-%02u %02u-%02u-%02u.png", unsigned(t.year), unsigned(t.month),
                  unsigned(t.day), unsigned(t.hour), unsigned(t.minute), unsigned(t.second));
    return text;
}

}  // namespace kestrix
