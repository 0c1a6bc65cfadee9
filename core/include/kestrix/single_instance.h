#pragma once
// One copy per user, whatever its integrity level: what the attempt to create the
// named single-instance lock says about the copies already running.
#include <cstdint>

namespace kestrix {

// The system's answers to the creation (Windows error codes).
inline constexpr uint32_t kErrorAccessDenied = 5;
inline constexpr uint32_t kErrorAlreadyExists = 183;

// True when this process is the first copy. `created` says whether a handle came back,
// `last_error` is the error code the creation left. A lock that already exists means
// another copy; so does one that may not be opened, which is how a copy started as
// administrator looks to a normal one. Any other failure does not keep the user from
// starting Kestrix.
bool is_first_copy(bool created, uint32_t last_error);

}  // namespace kestrix
