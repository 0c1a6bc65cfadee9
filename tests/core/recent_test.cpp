#include "kestrix/recent.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrix;

namespace {

Image filled(uint32_t w, uint32_t h, uint8_t value) {
    return make_image(w, h, std::vector<uint8_t>(size_t(w) * h * 4, value)).value();
}

// A capture whose PNG takes `png_bytes`, optionally with a crop to edit again.
RecentCapture capture(size_t png_bytes, uint8_t second = 0, uint32_t crop_side = 0) {
    RecentCapture c;
    c.time.second = second;
    c.png.assign(png_bytes, 0xAB);
    c.width = 4, c.height = 3;
    c.thumbnail = filled(2, 2, 0xCD);
    if (crop_side > 0) c.editable = EditableCapture{filled(crop_side, crop_side, 0xEF), {NumberMark{}}, false};
    return c;
}

std::vector<uint8_t> seconds(const RecentCaptures& list) {
    std::vector<uint8_t> out;
    for (uint32_t id : list.ids()) out.push_back(list.find(id)->time.second);
    return out;
}

}  // namespace

TEST(RecentCaptures, NewestFirstAndTheOldestGoPastTheCount) {
    RecentCaptures list(3);
    for (uint8_t s = 1; s <= 5; ++s) EXPECT_NE(list.add(capture(10, s)), 0u);
    EXPECT_EQ(seconds(list), (std::vector<uint8_t>{5, 4, 3}));

    // a lower limit lets the oldest go at once; ids stay with their captures
    const uint32_t newest = list.ids().front();
    list.set_max_count(1);
    EXPECT_EQ(list.ids(), std::vector<uint32_t>{newest});
    EXPECT_EQ(list.find(newest)->time.second, 5);

    RecentCaptures none(0);
    EXPECT_EQ(none.add(capture(10)), 0u);
    EXPECT_TRUE(none.empty());
}

TEST(RecentCaptures, TheMemoryLimitLetsTheOldestGo) {
    const size_t one = capture(1000).bytes();
    RecentCaptures list(10, 3 * one);
    for (uint8_t s = 1; s <= 4; ++s) list.add(capture(1000, s));
    EXPECT_EQ(seconds(list), (std::vector<uint8_t>{4, 3, 2}));
    EXPECT_LE(list.bytes(), 3 * one);

    // one larger capture pushes out as many as it needs
    list.add(capture(2000, 9));
    EXPECT_EQ(seconds(list), (std::vector<uint8_t>{9, 4}));
    EXPECT_EQ(list.bytes(), capture(2000).bytes() + one);
}

TEST(RecentCaptures, ACaptureTooLargeAloneKeepsOnlyWhatFits) {
    const size_t plain = capture(1000).bytes();
    RecentCaptures list(10, plain + 100);
    list.add(capture(10, 1));
    // its crop would pass the limit: kept for copying, not for editing again
    const uint32_t big = list.add(capture(1000, 2, 64));
    ASSERT_NE(big, 0u);
    EXPECT_FALSE(list.find(big)->editable);
    EXPECT_EQ(list.find(big)->png.size(), 1000u);
    // even its PNG is too large: not kept, and nothing else goes for it
    const uint32_t huge = list.add(capture(plain + 200, 3));
    EXPECT_EQ(huge, 0u);
    EXPECT_TRUE(list.find(big));

    // with room, the crop stays
    RecentCaptures roomy(10);
    const uint32_t editable = roomy.add(capture(1000, 2, 64));
    ASSERT_TRUE(roomy.find(editable)->editable);
    EXPECT_EQ(roomy.find(editable)->editable->crop.width(), 64u);
}

TEST(RecentCaptures, AReplacedCaptureComesFirstInPlaceOfTheOldOne) {
    RecentCaptures list(5);
    const uint32_t first = list.add(capture(10, 1));
    list.add(capture(10, 2));
    const uint32_t edited = list.replace(first, capture(10, 7));
    EXPECT_NE(edited, first);
    EXPECT_FALSE(list.find(first));
    EXPECT_EQ(seconds(list), (std::vector<uint8_t>{7, 2}));
    EXPECT_EQ(list.bytes(), 2 * capture(10).bytes());
    // the old one gone meanwhile (cleared): the edit is still kept
    list.clear();
    EXPECT_NE(list.replace(first, capture(10, 8)), 0u);
    EXPECT_EQ(seconds(list), (std::vector<uint8_t>{8}));
}

TEST(RecentCaptures, ClearingLetsEveryCaptureGoAndAHolderKeepsItsOwn) {
    RecentCaptures list(5);
    const uint32_t held = list.add(capture(10, 1, 8));
    list.add(capture(10, 2));
    std::weak_ptr<const RecentCapture> other = list.find(list.ids().front());
    std::shared_ptr<const RecentCapture> holder = list.find(held);
    list.clear();
    EXPECT_TRUE(list.empty());
    EXPECT_EQ(list.bytes(), 0u);
    EXPECT_TRUE(other.expired());  // released at once, wiped on the way
    ASSERT_TRUE(holder);           // a copy or a dialog in progress keeps its picture whole
    EXPECT_TRUE(std::all_of(holder->png.begin(), holder->png.end(), [](uint8_t b) { return b == 0xAB; }));
    EXPECT_FALSE(list.find(held));
}

TEST(RecentCaptures, WipingZeroesEveryPicture) {
    RecentCapture c = capture(100, 1, 8);
    c.wipe();
    const auto zero = [](const std::vector<uint8_t>& bytes) {
        return !bytes.empty() && std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
    };
    EXPECT_TRUE(zero(c.png));
    EXPECT_TRUE(zero(c.thumbnail->pixels()));
    EXPECT_TRUE(zero(c.editable->crop.pixels()));
}
