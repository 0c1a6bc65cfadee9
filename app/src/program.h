#pragma once
// The program once the platform exists: the first argument decides what happens.
#include <span>
#include <string>

#include "app_environment.h"

namespace kestrix {

// Answers an informational option or runs the tray application; returns the exit code.
int run_program(std::span<const std::string> arguments_after_program, AppEnvironment& env);

}  // namespace kestrix
