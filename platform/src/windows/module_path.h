#pragma once
// The running executable's full path.
#include <string>

namespace kestrix::win {

// Empty when the system cannot give it.
std::wstring executable_path();

}  // namespace kestrix::win
