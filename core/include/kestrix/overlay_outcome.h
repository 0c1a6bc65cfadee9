#pragma once
// What the region overlay hands back to the capture session when it closes.
#include <optional>
#include <string>

#include "kestrix/edit_again.h"
#include "kestrix/image.h"
#include "kestrix/platform_error.h"
#include "kestrix/rect.h"

namespace kestrix {

// A cancel is the outcome with every field absent or false.
struct OverlayOutcome {
    std::optional<Image> image;              // the finished picture; absent on cancel, colour copy or failure
    std::optional<std::string> colour_text;  // the colour copied with the C key
    std::optional<Rect> selection;           // desktop units; present whenever the capture was finished
    bool save = false;                       // Ctrl+S or "Save as…", or started as "Capture and save as…"
    bool send = false;                       // finished with the send button
    bool pin = false;                        // finished with Ctrl+P or "Pin to screen"
    std::optional<PlatformError> failure;    // why a finished capture has no picture
    std::optional<EditableCapture> editable;  // what editing the finished capture again starts from
};

}  // namespace kestrix
