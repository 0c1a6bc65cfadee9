#pragma once
// What the user reads when an operation fails: the error in a catalogue message of
// the current language (the plain rendering is for printing and wrapping).
#include <string>

#include "kestrix/platform_error.h"

namespace kestrix {

std::string error_text(const PlatformError& error);

}  // namespace kestrix
