#pragma once
// The tray host's queue of application events and the rules around it: events are
// handed to the application one at a time, never re-entrantly, and the ones raised
// while the application is busy wait until it returns.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace kestrix {

// Application event codes as the host raises them. The capture commands are 0 and 1
// (a region, and a region saved as) and 7 to 13 (the other modes, the delayed captures
// and a capture another copy asked for).
bool is_capture_event(uint8_t code);

class EventQueue {
public:
    void push(uint8_t code) { events_.push_back(code); }
    std::optional<uint8_t> pop();
    bool empty() const { return events_.empty(); }
    size_t size() const { return events_.size(); }

    // Drops the capture commands raised while the overlay was open; the other events
    // keep their order.
    void purge_captures();

    // Hands the queued events to `callback` from the front, one at a time, while
    // `in_event` is set around each call. Stops after the first callback that answers
    // true (quit now) and returns true then. Events the callback raises are taken in
    // the same drain after it returns. Does nothing while `in_event` is already set:
    // the queue is never drained from inside the callback.
    bool drain(bool& in_event, const std::function<bool(uint8_t)>& callback);

private:
    std::deque<uint8_t> events_;
};

// What the host is doing when a capture is asked for.
struct HostActivity {
    bool overlay_open = false;       // the region overlay is on screen
    bool countdown_running = false;  // a delayed capture is waiting
    bool in_event = false;           // the application is handling an event (a dialog may be open)
    bool nested_callback_present = false;
};

// What a press of a global hotkey, or another copy's request, does.
enum class HotkeyAction {
    Ignore,        // the overlay is open, or a countdown runs and this is not the capture hotkey
    Hurry,         // the capture hotkey during a countdown: capture at once
    RunNested,     // an earlier event's dialog is open: capture now, inside it
    RaiseCapture,  // queue a capture command
};
// `capture_hotkey`: the press is of the capture hotkey (the Region mode's), not of
// another mode's hotkey or a request from another copy.
HotkeyAction hotkey_action(const HostActivity& host, bool capture_hotkey);

}  // namespace kestrix
