#include "local_clock.h"

#include <windows.h>

namespace kestrix::win {

LocalTime local_time_now() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return {uint16_t(now.wYear), uint8_t(now.wMonth),  uint8_t(now.wDay),
            uint8_t(now.wHour),  uint8_t(now.wMinute), uint8_t(now.wSecond)};
}

}  // namespace kestrix::win
