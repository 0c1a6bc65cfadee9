#include "kestrix/pin.h"

#include <algorithm>
#include <cfloat>
#include <cmath>
#include <limits>

#include "kestrix/ui_scale.h"

namespace kestrix {

namespace {

// Rounds half away from zero and saturates to the 32-bit range.
int32_t round_saturated(double value) {
    if (std::isnan(value)) return 0;
    const double rounded = std::round(value);
    if (rounded <= double(std::numeric_limits<int32_t>::min())) return std::numeric_limits<int32_t>::min();
    if (rounded >= double(std::numeric_limits<int32_t>::max())) return std::numeric_limits<int32_t>::max();
    return int32_t(rounded);
}

// Lower bound first, so that an empty range (lo > hi) settles on hi instead of
// being undefined as std::clamp would be.
double clamp_low_first(double value, double lo, double hi) { return std::min(std::max(value, lo), hi); }

}  // namespace

PinState new_pin(const Rect& rect, uint32_t ui_scale) {
    PinState pin;
    pin.ui_scale = usable_ui_scale(ui_scale);
    pin.base_width = std::max(rect.width, 1);
    pin.base_height = std::max(rect.height, 1);
    pin.x = rect.x;
    pin.y = rect.y;
    return pin;
}

Rect pin_window_rect(const PinState& pin) {
    return {round_saturated(pin.x), round_saturated(pin.y),
            std::max(round_saturated(pin.base_width * pin.scale), 1),
            std::max(round_saturated(pin.base_height * pin.scale), 1)};
}

uint8_t pin_alpha(const PinState& pin) {
    return uint8_t(std::clamp(std::round(pin.opacity * 255.0), 0.0, 255.0));
}

void keep_pin_on_screen(PinState& pin, const std::vector<Rect>& monitors) {
    int64_t left = 0, top = 0, right = 0, bottom = 0;
    bool any = false;
    for (const Rect& m : monitors) {
        if (m.empty()) continue;
        left = any ? std::min(left, int64_t(m.x)) : m.x;
        top = any ? std::min(top, int64_t(m.y)) : m.y;
        right = any ? std::max(right, m.right()) : m.right();
        bottom = any ? std::max(bottom, m.bottom()) : m.bottom();
        any = true;
    }
    if (!any) return;
    const Rect window = pin_window_rect(pin);
    const int32_t keep = px_at_scale(kPinKeepVisible, pin.ui_scale);
    const int64_t k = std::min(window.width, keep);
    const int64_t j = std::min(window.height, keep);
    pin.x = clamp_low_first(pin.x, double(left - window.width + k), double(right - k));
    pin.y = clamp_low_first(pin.y, double(top - window.height + j), double(bottom - j));
}

bool zoom_pin(PinState& pin, int steps, double a, double b) {
    const double old_scale = pin.scale;
    const double new_scale = clamp_low_first(old_scale * std::pow(kPinZoomFactor, steps), kPinMinScale, kPinMaxScale);
    if (new_scale == old_scale) return false;
    const double ratio = new_scale / old_scale;
    pin.x = a - (a - pin.x) * ratio;
    pin.y = b - (b - pin.y) * ratio;
    pin.scale = new_scale;
    return true;
}

PinPoint pin_centre(const PinState& pin) {
    const Rect window = pin_window_rect(pin);
    const auto middle = [](int32_t start, int32_t size) {
        return int32_t(std::clamp(int64_t(start) + size / 2, int64_t(INT32_MIN), int64_t(INT32_MAX)));
    };
    return {middle(window.x, window.width), middle(window.y, window.height)};
}

bool reset_pin_zoom(PinState& pin) {
    if (pin.scale == 1.0) return false;
    const PinPoint c = pin_centre(pin);
    pin.x = c.x - (c.x - pin.x) / pin.scale;
    pin.y = c.y - (c.y - pin.y) / pin.scale;
    pin.scale = 1.0;
    return true;
}

bool change_pin_opacity(PinState& pin, int steps) {
    const double clamped = std::clamp(pin.opacity + steps * 0.1, kPinMinOpacity, kPinMaxOpacity);
    const double stepped = std::round(clamped * 10.0) / 10.0;
    if (std::fabs(stepped - pin.opacity) < DBL_EPSILON) return false;
    pin.opacity = stepped;
    return true;
}

void drag_pin_to(PinState& pin, int32_t cx, int32_t cy) {
    if (!pin.drag) return;
    pin.x = pin.drag->start_x + (int64_t(cx) - pin.drag->press_x);
    pin.y = pin.drag->start_y + (int64_t(cy) - pin.drag->press_y);
}

std::optional<Rect> pin_close_box(const Rect& window, uint32_t ui_scale) {
    const int32_t min_size = px_at_scale(kPinCloseMinSize, ui_scale);
    if (window.width < min_size || window.height < min_size) return std::nullopt;
    return Rect{px_at_scale(kPinCloseBox.x, ui_scale), px_at_scale(kPinCloseBox.y, ui_scale),
                px_at_scale(kPinCloseBox.width, ui_scale), px_at_scale(kPinCloseBox.height, ui_scale)};
}

PinChrome pin_chrome(uint32_t ui_scale) {
    const auto at_least_1 = [ui_scale](int32_t px) { return std::max(1, px_at_scale(px, ui_scale)); };
    return {at_least_1(1), at_least_1(1), at_least_1(2)};
}

bool pin_close_hit(const PinState& pin, int32_t px, int32_t py) {
    if (!pin.hover) return false;
    const std::optional<Rect> box = pin_close_box(pin_window_rect(pin), pin.ui_scale);
    if (!box) return false;
    const int64_t radius = box->width / 2;
    const int64_t dx = int64_t(px) - (box->x + radius);
    const int64_t dy = int64_t(py) - (box->y + radius);
    return dx * dx + dy * dy <= radius * radius;
}

int take_wheel_steps(PinState& pin, int16_t delta) {
    // Turning the other way starts afresh rather than first undoing the rest.
    if ((delta > 0 && pin.wheel_rest < 0) || (delta < 0 && pin.wheel_rest > 0)) pin.wheel_rest = 0;
    const int32_t total = pin.wheel_rest + delta;
    const int steps = total / kPinWheelStep;  // toward zero
    pin.wheel_rest = total - steps * kPinWheelStep;
    return steps;
}

PinCommand pin_command(PinKey key, bool ctrl) {
    switch (key) {
    case PinKey::Left: return PinCommand::MoveLeft;
    case PinKey::Up: return PinCommand::MoveUp;
    case PinKey::Right: return PinCommand::MoveRight;
    case PinKey::Down: return PinCommand::MoveDown;
    case PinKey::Escape: return PinCommand::Close;
    case PinKey::Zero: return PinCommand::ResetZoom;
    case PinKey::Plus: return PinCommand::ZoomIn;
    case PinKey::Minus: return PinCommand::ZoomOut;
    case PinKey::OpenBracket: return PinCommand::OpacityDown;
    case PinKey::CloseBracket: return PinCommand::OpacityUp;
    case PinKey::C: return ctrl ? PinCommand::Copy : PinCommand::None;
    case PinKey::S: return ctrl ? PinCommand::SaveAs : PinCommand::None;
    case PinKey::W: return ctrl ? PinCommand::Close : PinCommand::None;
    }
    return PinCommand::None;
}

}  // namespace kestrix
