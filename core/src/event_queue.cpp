#include "kestrix/event_queue.h"

#include <algorithm>

namespace kestrix {

std::optional<uint8_t> EventQueue::pop() {
    if (events_.empty()) return std::nullopt;
    const uint8_t code = events_.front();
    events_.pop_front();
    return code;
}

void EventQueue::purge_captures() {
    std::erase_if(events_, [](uint8_t code) { return code < kFirstNonCaptureEvent; });
}

bool EventQueue::drain(bool& in_event, const std::function<bool(uint8_t)>& callback) {
    if (in_event) return false;
    while (const std::optional<uint8_t> code = pop()) {
        in_event = true;
        const bool quit = callback(*code);
        in_event = false;
        if (quit) return true;
    }
    return false;
}

HotkeyAction hotkey_action(bool overlay_open, bool in_event, bool nested_callback_present) {
    if (overlay_open) return HotkeyAction::Ignore;
    if (in_event && nested_callback_present) return HotkeyAction::RunNested;
    return HotkeyAction::RaiseCapture;
}

}  // namespace kestrix
