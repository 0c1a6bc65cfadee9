#include "frozen_desktop.h"

namespace kestrix {

Result<std::optional<FrozenDesktop>, PlatformError> freeze_desktop(Platform& platform, const CaptureRequest& request,
                                                                   const std::optional<Rect>& region, AfterFreeze after) {
    if (request.delay_seconds > 0) {
        // The window capture must find the user's window in front afterwards, so its
        // countdown leaves the keyboard where it is.
        auto waited = platform.count_down(request.delay_seconds, request.mode != CaptureMode::Window);
        if (!waited) return fail(waited.error());
        if (*waited == CountdownEnd::Cancelled) return std::optional<FrozenDesktop>{};
    }

    // Read at the moment of the freeze: where the user points, what has the keyboard.
    CaptureFacts facts;
    facts.last_region = region;
    if (request.mode == CaptureMode::Screen || request.mode == CaptureMode::Window) {
        const DesktopPoint pointer = platform.pointer_position();
        facts.pointer_x = pointer.x;
        facts.pointer_y = pointer.y;
    }
    if (request.mode == CaptureMode::Window) facts.foreground = platform.foreground_window();

    auto monitors = platform.enumerate_monitors();
    if (!monitors) return fail(monitors.error());
    if (after == AfterFreeze::Overlay) platform.prepare_overlay(*monitors);
    auto frame = platform.capture_desktop(*monitors);
    if (!frame) return fail(frame.error());
    FrozenDesktop frozen{std::move(*monitors), std::move(*frame), std::nullopt};
    frozen.selection = initial_selection(request.mode, facts, frozen.monitors);
    return std::optional<FrozenDesktop>(std::move(frozen));
}

}  // namespace kestrix
