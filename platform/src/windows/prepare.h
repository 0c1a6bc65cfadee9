#pragma once
// What the process does once before anything else: DPI awareness and the removal
// of executables parked by an earlier self-update.
#include <windows.h>

#include <string>
#include <vector>

#include "kestrix/result.h"

namespace kestrix::win {

// The full path of the running executable, or the system error code.
Result<std::wstring, DWORD> running_executable_path();

// Per-monitor DPI awareness version 2, or the older system-wide awareness when that is refused.
void request_dpi_awareness();

// "<exe>.old" and "<exe>.old.1" to "<exe>.old.15": the names an update parks the old executable under.
std::vector<std::wstring> parked_copy_paths(const std::wstring& executable);

// Deletes the parked copies beside the running executable, ignoring every failure.
void remove_parked_copies();

}  // namespace kestrix::win
