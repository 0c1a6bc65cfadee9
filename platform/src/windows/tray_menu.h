#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>

#include "kestrix/tray.h"

namespace kestrix::win {

// Pops the tray menu up at `anchor` (the icon's, for keyboard users too) or else at the
// pointer, owned by `owner`, and answers the chosen command; nothing when the menu was
// dismissed or failed.
std::optional<uint32_t> track_tray_menu(HWND owner, std::optional<POINT> anchor, const TrayMenuState& state);

}  // namespace kestrix::win
