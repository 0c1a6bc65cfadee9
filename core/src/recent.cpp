#include "kestrix/recent.h"

#include <algorithm>

#include "kestrix/wipe.h"

namespace kestrix {

void RecentCapture::wipe() {
    wipe_bytes(png);
    if (thumbnail) thumbnail->wipe();
    if (editable) editable->crop.wipe();
}

size_t RecentCapture::bytes() const {
    size_t total = sizeof(RecentCapture) + png.size();
    if (thumbnail) total += thumbnail->pixels().size();
    if (editable) total += editable->bytes();
    return total;
}

RecentCaptures::RecentCaptures(size_t max_count, size_t max_bytes) : max_count_(max_count), max_bytes_(max_bytes) {}

uint32_t RecentCaptures::add(RecentCapture capture) {
    if (max_count_ == 0) return 0;
    if (capture.bytes() > max_bytes_ && capture.editable) {
        capture.editable->crop.wipe();
        capture.editable.reset();
    }
    const size_t bytes = capture.bytes();
    if (bytes > max_bytes_) return 0;
    const uint32_t id = next_id_++;
    if (next_id_ == 0) next_id_ = 1;  // 0 means "not kept"
    entries_.push_front({id, std::make_shared<const RecentCapture>(std::move(capture)), bytes});
    bytes_ += bytes;
    trim();
    return id;
}

uint32_t RecentCaptures::replace(uint32_t id, RecentCapture capture) {
    const auto found = std::find_if(entries_.begin(), entries_.end(), [&](const Entry& e) { return e.id == id; });
    if (found != entries_.end()) {
        bytes_ -= found->bytes;
        entries_.erase(found);
    }
    return add(std::move(capture));
}

std::shared_ptr<const RecentCapture> RecentCaptures::find(uint32_t id) const {
    for (const Entry& e : entries_)
        if (e.id == id) return e.capture;
    return nullptr;
}

std::vector<uint32_t> RecentCaptures::ids() const {
    std::vector<uint32_t> ids;
    for (const Entry& e : entries_) ids.push_back(e.id);
    return ids;
}

void RecentCaptures::clear() {
    entries_.clear();
    bytes_ = 0;
}

void RecentCaptures::set_max_count(size_t max_count) {
    max_count_ = max_count;
    trim();
}

void RecentCaptures::trim() {
    while (!entries_.empty() && (entries_.size() > max_count_ || bytes_ > max_bytes_)) {
        bytes_ -= entries_.back().bytes;
        entries_.pop_back();
    }
}

}  // namespace kestrix
