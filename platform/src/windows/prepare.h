#pragma once
// What the process does once before anything else: DPI awareness and the removal
// of executables parked by an earlier self-update.
#include <string>
#include <vector>

namespace kestrix::win {

// Per-monitor DPI awareness version 2, or the older system-wide awareness when that is refused.
void request_dpi_awareness();

// "<exe>.old" and "<exe>.old.1" to "<exe>.old.15": the names an update parks the old executable under.
std::vector<std::wstring> parked_copy_paths(const std::wstring& executable);

// Deletes the parked copies beside the running executable, ignoring every failure.
void remove_parked_copies();

}  // namespace kestrix::win
