#pragma once
// Kestrix is per-monitor DPI aware, so Windows scales none of its drawing: every
// size of its interface is given at 100 % and multiplied by the scale (ui_scale,
// in percent) of the monitor it is shown on.
#include <cstdint>

namespace kestrix {

// A monitor's scale as the interface uses it: 0 (a failed query) reads as 100, and
// nothing is drawn below half size.
constexpr uint32_t usable_ui_scale(uint32_t scale) { return scale == 0 ? 100 : scale < 50 ? 50 : scale; }

// The factor a size at 100 % is multiplied by: 1.5 at 150 %.
constexpr double scale_factor(uint32_t scale) { return usable_ui_scale(scale) / 100.0; }

// A size at 100 % at `scale` percent.
constexpr double at_scale(double size, uint32_t scale) { return size * scale_factor(scale); }

// Whole pixels at 100 % at `scale` percent, rounded down (140 % of 15 is 21).
constexpr int32_t px_at_scale(int32_t pixels, uint32_t scale) {
    return int32_t(int64_t(pixels) * usable_ui_scale(scale) / 100);
}

// The dots per inch a monitor of that scale shows: 96 at 100 %, 144 at 150 %, 192 at 200 %.
constexpr uint32_t dpi_for_ui_scale(uint32_t scale) { return usable_ui_scale(scale) * 96 / 100; }

}  // namespace kestrix
