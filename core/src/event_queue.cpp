#include "kestrix/event_queue.h"

#include <algorithm>

namespace kestrix {

std::optional<uint8_t> EventQueue::pop() {
    if (events_.empty()) return std::nullopt;
    const uint8_t code = events_.front();
    events_.pop_front();
    return code;
}

bool is_capture_event(uint8_t code) { return code < 2 || (code >= 7 && code <= 13); }

void EventQueue::purge_captures() { std::erase_if(events_, is_capture_event); }

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

HotkeyAction hotkey_action(const HostActivity& host, bool capture_hotkey) {
    if (host.overlay_open) return HotkeyAction::Ignore;
    if (host.countdown_running) return capture_hotkey ? HotkeyAction::Hurry : HotkeyAction::Ignore;
    if (host.in_event && host.nested_callback_present) return HotkeyAction::RunNested;
    return HotkeyAction::RaiseCapture;
}

}  // namespace kestrix
