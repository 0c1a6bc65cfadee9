#pragma once
// The system's own words for an error code.
#include <windows.h>

#include <string>

namespace kestrix::win {

// The system's message for the code in the user's language, without the line
// break it ends with; "system error N" when the system has no text for it.
std::string system_text(DWORD code);

}  // namespace kestrix::win
