#pragma once
// The system's local wall-clock time.
#include "kestrix/local_time.h"

namespace kestrix::win {

LocalTime local_time_now();

}  // namespace kestrix::win
