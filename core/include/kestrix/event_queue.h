#pragma once
// The tray host's queue of application events and the rules around it: events are
// handed to the application one at a time, never re-entrantly, and the ones raised
// while the application is busy wait until it returns.
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>

namespace kestrix {

// Application event codes as the host raises them; codes below 2 are the capture commands.
inline constexpr uint8_t kFirstNonCaptureEvent = 2;

class EventQueue {
public:
    void push(uint8_t code) { events_.push_back(code); }
    std::optional<uint8_t> pop();
    bool empty() const { return events_.empty(); }
    size_t size() const { return events_.size(); }

    // Drops the capture commands (codes below 2) raised while the overlay was open;
    // the other events keep their order.
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

// What a press of the global hotkey does.
enum class HotkeyAction {
    Ignore,       // the overlay is open
    RunNested,    // an earlier event's dialog is open: capture now, inside it
    RaiseCapture  // queue a capture command
};
HotkeyAction hotkey_action(bool overlay_open, bool in_event, bool nested_callback_present);

}  // namespace kestrix
