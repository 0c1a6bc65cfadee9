#pragma once
// The captures of this process kept at hand for the tray's Recent captures: the PNG
// bytes of each, a thumbnail, and for a capture made in the overlay what editing it
// again starts from. Memory only: nothing here is ever written to disk. Every picture
// is wiped when the last holder of its capture lets go of it.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <optional>
#include <vector>

#include "kestrix/edit_again.h"
#include "kestrix/image.h"
#include "kestrix/local_time.h"
#include "kestrix/rect.h"

namespace kestrix {

struct RecentCapture {
    LocalTime time;
    std::vector<uint8_t> png;
    uint32_t width = 0, height = 0;  // the picture's
    Rect shown_at;                   // where it was on the screen (desktop units): a pin goes there
    std::optional<Image> thumbnail;
    std::optional<EditableCapture> editable;

    RecentCapture() = default;
    RecentCapture(RecentCapture&&) = default;
    RecentCapture& operator=(RecentCapture&&) = default;
    ~RecentCapture() { wipe(); }

    // Overwrites every picture it holds with zeros (their sizes stay).
    void wipe();
    // What it holds in memory, roughly.
    size_t bytes() const;
};

// The most the kept captures may hold together.
inline constexpr size_t kRecentCapturesMaxBytes = 200'000'000;
// The most captures a configuration may ask to keep, and how many are kept unless it says.
inline constexpr uint32_t kRecentCapturesMaxCount = 20;
inline constexpr uint32_t kRecentCapturesDefaultCount = 10;

class RecentCaptures {
public:
    explicit RecentCaptures(size_t max_count = kRecentCapturesDefaultCount, size_t max_bytes = kRecentCapturesMaxBytes);
    RecentCaptures(const RecentCaptures&) = delete;
    RecentCaptures& operator=(const RecentCaptures&) = delete;

    // Keeps a capture as the newest and lets the oldest go until the count and the
    // memory are within their limits. A capture that alone holds more than the memory
    // limit is kept without what editing it again needs, or not at all when even its
    // PNG is too large. Answers its id, or 0 when it is not kept.
    uint32_t add(RecentCapture capture);
    // The capture with this id goes, the new one is kept as the newest.
    uint32_t replace(uint32_t id, RecentCapture capture);

    // Nothing when that capture is no longer kept. Holding it keeps it alive (and its
    // pixels unwiped) after it has left the list.
    std::shared_ptr<const RecentCapture> find(uint32_t id) const;
    // Newest first.
    std::vector<uint32_t> ids() const;

    void clear();
    // A new limit takes effect at once.
    void set_max_count(size_t max_count);

    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    size_t bytes() const { return bytes_; }

private:
    struct Entry {
        uint32_t id;
        std::shared_ptr<const RecentCapture> capture;
        size_t bytes;
    };
    void trim();

    std::deque<Entry> entries_;  // newest first
    size_t max_count_;
    size_t max_bytes_;
    size_t bytes_ = 0;
    uint32_t next_id_ = 1;
};

}  // namespace kestrix
