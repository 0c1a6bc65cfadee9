#pragma once
// One capture, from the frozen desktop to the pinned, copied, sent or saved picture and
// its confirmation. Control returns when everything the user asked for is done.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "kestrix/capture_modes.h"
#include "kestrix/config.h"
#include "kestrix/platform.h"
#include "kestrix/recent.h"

namespace kestrix {

// The thumbnail of a recent capture in the tray menu fits this box (pixels).
inline constexpr uint32_t kRecentThumbnailWidth = 64;
inline constexpr uint32_t kRecentThumbnailHeight = 48;

// Where a copied capture is kept for the tray's Recent captures.
struct KeepRecent {
    RecentCaptures* captures = nullptr;  // none: not kept
    std::optional<uint32_t> replaces;    // the kept capture an edited-again one takes the place of
};

// What a session starts from besides the configuration.
struct SessionStart {
    CaptureRequest request;           // the mode and the delay
    bool save_as = false;             // "Capture and save as…"
    std::optional<Rect> last_region;  // the previous finished capture's selection
    KeepRecent keep;
};

// Waits the delay, freezes the desktop, runs the overlay (opening with the mode's
// selection) and carries out what the user finished it with. A failing step ends the
// session with exactly one error message and no confirmation. Answers the selection
// when the capture was finished: copied, saved, pinned or sent.
std::optional<Rect> capture_session(Platform& platform, const Config& config, const SessionStart& start);

// A kept capture edited again: its crop over the dimmed desktop on the monitor under
// the pointer, its marks editable, then carried out and confirmed as a capture is. A
// copy takes the place of `keep.replaces`.
std::optional<Rect> edit_again_session(Platform& platform, const Config& config, const EditableCapture& editable,
                                       const KeepRecent& keep);

// "Save as" for a finished picture: the dialog, then a JPEG for a .jpg name (and its
// kin) or `png` otherwise, written whole. None when the user cancelled the dialog.
Result<std::optional<std::filesystem::path>, PlatformError> save_picture(Platform& platform, const Image& image,
                                                                         const std::vector<uint8_t>& png);

// A region capture; `save_as` is true for "Capture and save as…".
inline void capture_session(Platform& platform, const Config& config, bool save_as) {
    (void)capture_session(platform, config, SessionStart{{}, save_as, std::nullopt, {}});
}

}  // namespace kestrix
