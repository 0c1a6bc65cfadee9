#include "recent_captures.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "capture_session.h"
#include "error_text.h"
#include "kestrix/file_io.h"
#include "kestrix/i18n.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

const LocalTime kMorning{2026, 3, 2, 9, 5, 3};
const LocalTime kLater{2026, 3, 2, 9, 7, 41};

// A picture of one colour, bytes blue, green, red, alpha.
Image plain(uint32_t width, uint32_t height, uint8_t blue, uint8_t green, uint8_t red) {
    std::vector<uint8_t> pixels;
    for (uint32_t i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {blue, green, red, 0xFF});
    return *make_image(width, height, std::move(pixels));
}

const Image kBlue = plain(640, 480, 0xC0, 0x20, 0x10);
const Image kGreen = plain(300, 200, 0x10, 0xC0, 0x20);
const RectangleMark kMark{{20, 10}, {120, 60}, 1, PALETTE[0]};

// The overlay finished with Enter on `image` at `selection`, with what editing it
// again needs when `editable`.
OverlayOutcome copied(const Image& image, Rect selection, bool editable = true) {
    OverlayOutcome outcome;
    outcome.image = image;
    outcome.selection = selection;
    if (editable) outcome.editable = EditableCapture{image, {kMark}, false};
    return outcome;
}

struct Recent : AppFixture {
    AppState state;
    Recent() {
        set_language(kEnglish);
        platform.monitors_answer =
            std::vector<Monitor>{{1, {0, 0, 1280, 720}, 100, 100, true}, {2, {1280, 0, 800, 600}, 100, 100, false}};
        platform.time = kMorning;
    }
    bool handle(AppEvent event) { return handle_app_event(event, state, env); }
    // One capture copied in the overlay at this time.
    void capture(const OverlayOutcome& outcome, LocalTime time) {
        platform.overlay_answer = outcome;
        platform.time = time;
        handle(AppEvent::CaptureRegion);
    }
    void command(uint32_t id, RecentAction action) {
        platform.recent_commands.push_back({id, action});
        handle(AppEvent::RecentCapture);
    }
    const std::vector<RecentMenuEntry>& offered() const { return *platform.recent_offers.back(); }
    std::vector<uint8_t> png_of(const Image& image) const { return *encodePng(image); }
};

}  // namespace

TEST(RecentCaptures, EveryCopyIsKeptNewestFirstAndOffered) {
    Recent r;
    r.capture(copied(kBlue, {100, 50, 640, 480}), kMorning);
    r.capture(copied(kGreen, {10, 10, 300, 200}, false), kLater);
    ASSERT_EQ(r.platform.recent_offers.size(), 2u);
    ASSERT_TRUE(r.platform.recent_offers[0]);
    EXPECT_EQ(r.platform.recent_offers[0]->size(), 1u);
    const auto& entries = r.offered();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].label, "09:07:41   300 × 200");
    EXPECT_EQ(entries[1].label, "09:05:03   640 × 480");
    EXPECT_FALSE(entries[0].editable);  // the overlay kept nothing to edit again
    EXPECT_TRUE(entries[1].editable);
    // Thumbnails fit the menu's box and keep the picture's shape.
    ASSERT_TRUE(entries[1].thumbnail);
    EXPECT_EQ(entries[1].thumbnail->width(), kRecentThumbnailWidth);
    EXPECT_EQ(entries[1].thumbnail->height(), kRecentThumbnailHeight);
    ASSERT_TRUE(entries[0].thumbnail);
    EXPECT_LE(entries[0].thumbnail->width(), kRecentThumbnailWidth);
    EXPECT_LE(entries[0].thumbnail->height(), kRecentThumbnailHeight);
    // The kept bytes are the clipboard's.
    const auto kept = r.state.recent.find(entries[1].id);
    ASSERT_TRUE(kept);
    EXPECT_EQ(kept->png, r.platform.copied_png[0]);
    EXPECT_EQ(kept->shown_at, (Rect{100, 50, 640, 480}));
}

TEST(RecentCaptures, OnlyCopiesAreKeptAndACountOfZeroKeepsAndOffersNone) {
    Recent r;
    r.handle(AppEvent::CaptureRegion);  // Esc
    OverlayOutcome pin = copied(kBlue, {0, 0, 640, 480});
    pin.pin = true;
    r.capture(pin, kMorning);
    EXPECT_TRUE(r.state.recent.empty());
    EXPECT_EQ(r.platform.count("set_recent_captures"), 0u);

    r.state.config.recent_captures = 0;
    r.capture(copied(kBlue, {0, 0, 640, 480}), kMorning);
    EXPECT_EQ(r.platform.copied.size(), 1u);
    EXPECT_TRUE(r.state.recent.empty());
    // Whatever changes the menu, a count of 0 offers no Recent captures at all.
    offer_recent_captures(r.state, r.platform);
    ASSERT_FALSE(r.platform.recent_offers.empty());
    EXPECT_FALSE(r.platform.recent_offers.back().has_value());
}

TEST(RecentCaptures, CopyAgainPutsAnEarlierPictureBackOnTheClipboard) {
    Recent r;
    r.capture(copied(kBlue, {100, 50, 640, 480}), kMorning);
    r.capture(copied(kGreen, {10, 10, 300, 200}), kLater);
    const uint32_t older = r.offered()[1].id;
    r.platform.toasts.clear();
    r.command(older, RecentAction::CopyAgain);
    ASSERT_EQ(r.platform.copied.size(), 3u);
    EXPECT_EQ(r.platform.copied[2], kBlue);
    EXPECT_EQ(r.platform.copied_png[2], r.platform.copied_png[0]);
    ASSERT_EQ(r.platform.toasts.size(), 1u);
    EXPECT_EQ(r.platform.toasts[0].text, "Copied  640 × 480");
    EXPECT_TRUE(r.platform.errors.empty());

    // Without confirmations it copies as quietly as a capture.
    r.state.config.show_confirmation = false;
    r.command(older, RecentAction::CopyAgain);
    EXPECT_EQ(r.platform.copied.size(), 4u);
    EXPECT_EQ(r.platform.toasts.size(), 1u);

    // A clipboard that refuses is said once.
    r.platform.copy_answer = fail(PlatformError::os("OpenClipboard", 5));
    r.command(older, RecentAction::CopyAgain);
    EXPECT_EQ(r.platform.errors.size(), 1u);
}

TEST(RecentCaptures, PinAndSaveAsWorkOnTheKeptPicture) {
    Recent r;
    r.capture(copied(kBlue, {100, 50, 640, 480}), kMorning);
    const uint32_t id = r.offered()[0].id;
    r.command(id, RecentAction::Pin);
    ASSERT_EQ(r.platform.pinned.size(), 1u);
    EXPECT_EQ(r.platform.pinned[0].first, kBlue);
    EXPECT_EQ(r.platform.pinned[0].second, (Rect{100, 50, 640, 480}));  // where it was taken

    const auto png_path = r.root.path() / "again.png";
    r.platform.save_answer = std::optional(png_path);
    r.command(id, RecentAction::SaveAs);
    EXPECT_EQ(read_file(png_path).value(), std::string(r.platform.copied_png[0].begin(), r.platform.copied_png[0].end()));

    const auto jpeg_path = r.root.path() / "again.JPG";
    r.platform.save_answer = std::optional(jpeg_path);
    r.command(id, RecentAction::SaveAs);
    EXPECT_EQ(r.platform.jpeg_qualities, (std::vector<uint8_t>{90}));
    EXPECT_TRUE(std::filesystem::exists(jpeg_path));

    // A cancelled dialog is no failure; neither copies nor confirms.
    r.platform.save_answer = std::optional<std::filesystem::path>{};
    r.platform.toasts.clear();
    r.command(id, RecentAction::SaveAs);
    EXPECT_TRUE(r.platform.errors.empty());
    EXPECT_TRUE(r.platform.toasts.empty());
    EXPECT_EQ(r.platform.copied.size(), 1u);
}

TEST(RecentCaptures, ACaptureNoLongerKeptIsLeftAloneAndClearingWipesAll) {
    Recent r;
    r.capture(copied(kBlue, {100, 50, 640, 480}), kMorning);
    const uint32_t id = r.offered()[0].id;
    const auto held = r.state.recent.find(id);
    EXPECT_FALSE(r.handle(AppEvent::ClearRecentCaptures));
    EXPECT_TRUE(r.state.recent.empty());
    ASSERT_TRUE(r.platform.recent_offers.back());
    EXPECT_TRUE(r.offered().empty());
    // What the list let go of is wiped; only a holder still sees its size.
    EXPECT_EQ(held->png.size(), r.platform.copied_png[0].size());

    const size_t offers = r.platform.recent_offers.size();
    r.command(id, RecentAction::CopyAgain);
    r.command(id, RecentAction::EditAgain);
    EXPECT_EQ(r.platform.copied.size(), 1u);
    EXPECT_TRUE(r.platform.edit_overlays.empty());
    EXPECT_TRUE(r.platform.errors.empty());
    EXPECT_GT(r.platform.recent_offers.size(), offers);  // the menu is brought up to date
    // An event without its command does nothing.
    EXPECT_FALSE(r.handle(AppEvent::RecentCapture));
}

TEST(RecentCaptures, EditAgainShowsTheCropOnThePointersMonitorWithItsMarks) {
    Recent r;
    r.capture(copied(kGreen, {10, 10, 300, 200}), kMorning);
    const uint32_t id = r.offered()[0].id;
    r.platform.pointer = {1500, 300};  // on the second monitor
    r.command(id, RecentAction::EditAgain);
    ASSERT_EQ(r.platform.edit_overlays.size(), 1u);
    const auto& call = r.platform.edit_overlays[0];
    // Centred on that monitor, pixel for pixel.
    EXPECT_EQ(call.placement.shown, (Rect{1280 + 250, 200, 300, 200}));
    EXPECT_EQ(call.capture.annotations, (std::vector<Annotation>{kMark}));
    EXPECT_EQ(call.capture.crop, kGreen);
    // The desktop it is shown over carries the crop there.
    EXPECT_EQ(call.frame.pixel_at(1280 + 250, 200), 0xFF20C010u);
    EXPECT_EQ(call.frame.pixel_at(1280 + 549, 399), 0xFF20C010u);
    EXPECT_NE(call.frame.pixel_at(1280 + 249, 200), 0xFF20C010u);
    // Esc: nothing copied, the entry stays as it was.
    EXPECT_EQ(r.platform.copied.size(), 1u);
    EXPECT_EQ(r.state.recent.ids(), (std::vector<uint32_t>{id}));
}

TEST(RecentCaptures, FinishingAnEditAgainCopiesAndTakesThatEntrysPlace) {
    Recent r;
    r.capture(copied(kBlue, {100, 50, 640, 480}), kMorning);
    r.capture(copied(kGreen, {10, 10, 300, 200}), kMorning);
    const uint32_t edited = r.offered()[1].id, other = r.offered()[0].id;
    OverlayOutcome finished = copied(kGreen, {1530, 200, 300, 200});
    const RectangleMark moved{{40, 30}, {140, 80}, 1, PALETTE[0]};
    finished.editable->annotations = {moved};
    r.platform.edit_overlay_answer = finished;
    r.platform.toasts.clear();
    r.command(edited, RecentAction::EditAgain);

    ASSERT_EQ(r.platform.copied.size(), 3u);
    EXPECT_EQ(r.platform.copied[2], kGreen);
    ASSERT_EQ(r.platform.toasts.size(), 1u);
    EXPECT_EQ(r.platform.toasts[0].text, "Copied  300 × 200");
    const std::vector<uint32_t> ids = r.state.recent.ids();
    ASSERT_EQ(ids.size(), 2u);
    EXPECT_EQ(ids[1], other);
    EXPECT_NE(ids[0], edited);
    EXPECT_FALSE(r.state.recent.find(edited));
    const auto fresh = r.state.recent.find(ids[0]);
    ASSERT_TRUE(fresh && fresh->editable);
    EXPECT_EQ(fresh->editable->annotations, (std::vector<Annotation>{moved}));
    EXPECT_EQ(r.offered().size(), 2u);
    EXPECT_EQ(r.offered()[0].id, ids[0]);
}

TEST(RecentCaptures, EditAgainFailuresAreSaidOnceAndKeepTheEntry) {
    Recent r;
    r.capture(copied(kGreen, {10, 10, 300, 200}), kMorning);
    const uint32_t id = r.offered()[0].id;
    r.platform.capture_error = PlatformError::os("BitBlt", 6);
    r.command(id, RecentAction::EditAgain);
    EXPECT_EQ(r.platform.errors.size(), 1u);
    EXPECT_TRUE(r.platform.edit_overlays.empty());

    r.platform.capture_error.reset();
    r.platform.monitors_answer = std::vector<Monitor>{};
    r.command(id, RecentAction::EditAgain);
    EXPECT_EQ(r.platform.errors.size(), 2u);
    EXPECT_EQ(r.state.recent.ids(), (std::vector<uint32_t>{id}));
    EXPECT_EQ(r.platform.copied.size(), 1u);
}
