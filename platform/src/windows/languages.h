#pragma once
// The user's preferred interface languages as the system lists them.
#include <string>
#include <vector>

namespace kestrix::win {

// Tags such as "en-US" or "zh-Hant-TW", most preferred first; empty when the system cannot say.
std::vector<std::string> preferred_languages();

}  // namespace kestrix::win
