#pragma once
// The ways a capture starts and the selection each one opens the overlay with: a
// region the user drags out, the previous capture's region again, the monitor under
// the pointer, or the active window. The platform reads plain facts (the pointer, the
// foreground window); the choice of rectangle is made here. Desktop units throughout.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "kestrix/frame.h"
#include "kestrix/rect.h"

namespace kestrix {

enum class CaptureMode : uint8_t { Region = 0, LastRegion = 1, Screen = 2, Window = 3 };
inline constexpr size_t kCaptureModeCount = 4;

// How a capture is asked for: the mode, and the seconds to wait before the freeze.
struct CaptureRequest {
    CaptureMode mode = CaptureMode::Region;
    uint32_t delay_seconds = 0;
    friend bool operator==(const CaptureRequest&, const CaptureRequest&) = default;
};

// The longest wait a capture may be asked for.
inline constexpr uint32_t kMaxDelaySeconds = 60;

// The command line's names of the modes: "region", "last", "screen", "window".
std::string_view capture_mode_name(CaptureMode mode);
std::optional<CaptureMode> capture_mode_named(std::string_view name);

// What the platform could read of the window that had the keyboard when the capture
// was asked for.
struct ForegroundWindow {
    std::string class_name;
    bool shell_desktop = false;  // the shell's own desktop window
    bool visible = true;
    bool minimised = false;
    bool maximised = false;
    bool cloaked = false;        // hidden by the compositor (another virtual desktop)
    std::optional<Rect> frame;   // the compositor's visible frame, when it answered
    std::optional<Rect> bounds;  // the plain window rectangle, when it could be read
};

// The taskbars' and the desktop's window classes: they are not "a window" to capture.
bool is_shell_surface(std::string_view class_name);

// The part of `rect` that the monitors show, as the smallest rectangle holding every
// piece a monitor shows of it; none when no monitor shows any of it.
std::optional<Rect> on_monitors(const Rect& rect, const std::vector<Monitor>& monitors);

// The monitor under the pointer, else the one nearest to it; none without monitors.
std::optional<Rect> screen_under(const std::vector<Monitor>& monitors, int32_t pointer_x, int32_t pointer_y);

// The active window's visible frame (the plain rectangle where the compositor gave
// none) cut to the monitors, and to its own monitor when maximised (a maximised
// frame overhangs it). The taskbar, the desktop, no window, or one that is hidden,
// minimised or shows nowhere gives the monitor under the pointer.
std::optional<Rect> window_selection(const std::optional<ForegroundWindow>& window,
                                     const std::vector<Monitor>& monitors, int32_t pointer_x, int32_t pointer_y);

// The facts a capture reads at the moment it freezes the desktop.
struct CaptureFacts {
    int32_t pointer_x = 0;
    int32_t pointer_y = 0;
    std::optional<ForegroundWindow> foreground;  // read for the window mode only
    std::optional<Rect> last_region;             // the previous finished capture's selection
};

// The selection the overlay opens with; none opens it for dragging out a region, as
// for a plain capture (also for the last region when there is none, or when it is no
// longer on any monitor after a display change).
std::optional<Rect> initial_selection(CaptureMode mode, const CaptureFacts& facts,
                                      const std::vector<Monitor>& monitors);

}  // namespace kestrix
