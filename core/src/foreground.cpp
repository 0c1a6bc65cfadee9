#include "kestrix/foreground.h"

namespace kestrix {

ForegroundStep next_foreground_step(const ForegroundView& view, ForegroundTried& tried) {
    // Also with the overlay in front (where nothing locks the foreground): a
    // menu left open keeps the mouse.
    if (view.menu_open_elsewhere && !tried.ended_menu) {
        tried.ended_menu = true;
        return ForegroundStep::EndMenu;
    }
    if (view.overlay_in_front) return ForegroundStep::Done;
    if (view.other_thread_in_front && !tried.attached_input) {
        tried.attached_input = true;
        return ForegroundStep::AttachInput;
    }
    return ForegroundStep::GiveUp;
}

}  // namespace kestrix
