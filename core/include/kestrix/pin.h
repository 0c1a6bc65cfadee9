#pragma once
// The geometry of a pinned capture: where its window sits, how far it is zoomed,
// how translucent it is, where its close button is and what the keys do. The
// window itself lives in the platform layer; everything here is plain values.
#include <cstdint>
#include <optional>
#include <vector>

#include "kestrix/rect.h"

namespace kestrix {

inline constexpr double kPinMinScale = 0.1;
inline constexpr double kPinMaxScale = 8.0;
inline constexpr double kPinZoomFactor = 1.1;
inline constexpr double kPinMinOpacity = 0.2;
inline constexpr double kPinMaxOpacity = 1.0;
// The chrome's sizes at 100 %; the picture itself always shows 1:1 at zoom 1.
inline constexpr int32_t kPinKeepVisible = 28;      // pixels that stay on the desktop
inline constexpr int32_t kPinCloseMinSize = 60;     // smaller pins have no close button
inline constexpr Rect kPinCloseBox{8, 8, 22, 22};   // window coordinates
inline constexpr int32_t kPinWheelStep = 120;       // one notch of a mouse wheel

struct PinDrag {
    int32_t press_x = 0;  // cursor at the press, screen
    int32_t press_y = 0;
    double start_x = 0;   // pin position at the press
    double start_y = 0;
};

struct PinState {
    int32_t base_width = 1;  // size at zoom 1, each at least 1
    int32_t base_height = 1;
    double x = 0;            // screen position of the window's top-left
    double y = 0;
    double scale = 1.0;
    double opacity = 1.0;
    bool hover = false;
    std::optional<PinDrag> drag;
    int32_t wheel_rest = 0;  // wheel units short of a whole notch, kept for the next message
    uint32_t ui_scale = 100;  // of the monitor the pin is on: its chrome is drawn at it
};

// A pin at zoom 1 and full opacity covering `rect` (a side below 1 becomes 1).
PinState new_pin(const Rect& rect, uint32_t ui_scale = 100);

// The window rectangle: position rounded, size = base x scale rounded and at least 1,
// every value saturated to 32 bits.
Rect pin_window_rect(const PinState& pin);

// The layered-window alpha for the pin's opacity, 0 to 255.
uint8_t pin_alpha(const PinState& pin);

// Pulls the pin back so that at least 28 pixels (at its scale) of it (all of it, if
// smaller) stay inside the bounding box of the monitors with a positive size. No
// such monitor: unchanged.
void keep_pin_on_screen(PinState& pin, const std::vector<Rect>& monitors);

// Zooms by `steps` factors of 1.1 about the screen point (a, b), which stays put.
// Returns false (and changes nothing) when the clamped scale equals the old one.
bool zoom_pin(PinState& pin, int steps, double a, double b);

struct PinPoint {
    int32_t x = 0;
    int32_t y = 0;
    friend bool operator==(const PinPoint&, const PinPoint&) = default;
};

// The window centre in screen coordinates (integer halves), the point keys zoom about.
PinPoint pin_centre(const PinState& pin);

// Back to zoom 1 about the window centre. Returns false when already at 1.
bool reset_pin_zoom(PinState& pin);

// Opacity by `steps` tenths within 0.2 to 1.0. Returns false when it did not change.
bool change_pin_opacity(PinState& pin, int steps);

// The drag's new position for the cursor at (cx, cy); nothing when not dragging.
void drag_pin_to(PinState& pin, int32_t cx, int32_t cy);

// The close button's box in window coordinates, present only for windows of at
// least 60 x 60; both at the scale.
std::optional<Rect> pin_close_box(const Rect& window, uint32_t ui_scale);

// The widths of the pin's frame, the close button's outline and its cross at the scale.
struct PinChrome {
    int32_t frame = 1;
    int32_t outline = 1;
    int32_t cross = 2;
    friend bool operator==(const PinChrome&, const PinChrome&) = default;
};
PinChrome pin_chrome(uint32_t ui_scale);

// Whether a press at window coordinates (px, py) hits the close button: the pointer
// hovers, the button exists and the press is within half its width of its centre.
bool pin_close_hit(const PinState& pin, int32_t px, int32_t py);

// Whole wheel notches for a wheel message's delta. A mouse sends whole notches of
// 120; a precision touchpad sends small deltas, which are added up (with what was
// left over from earlier messages in the same direction) until they make whole
// notches. The remainder stays in the pin for the next message.
int take_wheel_steps(PinState& pin, int16_t delta);

// The keys a pin reacts to, whatever the platform calls them.
enum class PinKey { Left, Up, Right, Down, Escape, Zero, Plus, Minus, OpenBracket, CloseBracket, C, S, W };

enum class PinCommand {
    None,
    MoveLeft, MoveUp, MoveRight, MoveDown,
    Close, ResetZoom, ZoomIn, ZoomOut, OpacityDown, OpacityUp,
    Copy, SaveAs,
};

// What a key does; copy, save and the Ctrl+W close need Ctrl held.
PinCommand pin_command(PinKey key, bool ctrl);

}  // namespace kestrix
