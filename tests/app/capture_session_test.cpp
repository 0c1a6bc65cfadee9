#include "capture_session.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "error_text.h"
#include "kestrix/file_io.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"
#include "png_decode.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

namespace fs = std::filesystem;

const Rect kSelection{100, 50, 640, 480};
const LocalTime kMorning{2026, 3, 2, 9, 5, 3};
const LocalTime kLater{2026, 3, 2, 9, 7, 41};

// A 640 x 480 picture of one colour: red 0x10, green 0x20, blue 0x30.
Image picture() {
    std::vector<uint8_t> pixels;
    for (int i = 0; i < 640 * 480; ++i) pixels.insert(pixels.end(), {0x30, 0x20, 0x10, 0xFF});
    return *make_image(640, 480, std::move(pixels));
}

struct Requests {
    bool save = false, send = false, pin = false;
};

OverlayOutcome finished(Requests requests = {}) {
    OverlayOutcome outcome;
    outcome.image = picture();
    outcome.selection = kSelection;
    outcome.save = requests.save;
    outcome.send = requests.send;
    outcome.pin = requests.pin;
    return outcome;
}

struct Session : AppFixture {
    Config config;
    Session() {
        set_language(kEnglish);
        platform.monitors_answer =
            std::vector<Monitor>{{1, {0, 0, 1280, 720}, 100, 100, true}, {2, {1280, 0, 800, 600}, 100, 100, false}};
        platform.time = kMorning;
    }
    void run(bool save_as = false) { capture_session(platform, config, save_as); }

    std::vector<std::string> shown_errors() const {
        std::vector<std::string> texts;
        for (const PlatformError& error : platform.errors) texts.push_back(error_text(error));
        return texts;
    }
};

const std::vector<std::string> kUpToTheOverlay{"enumerate_monitors", "prepare_overlay", "capture_desktop",
                                               "open_overlay"};

}  // namespace

TEST(CaptureSession, ArabicConfirmationKeepsWidthBeforeHeight) {
    Session s;
    set_language(match_language_tag("ar"));
    s.platform.overlay_answer = finished();
    s.run();
    set_language(kEnglish);
    ASSERT_EQ(s.platform.toasts.size(), 1u);
    // The size keeps its left-to-right mark inside the right-to-left sentence.
    EXPECT_NE(s.platform.toasts[0].text.find("\u200E640 \u00d7 480"), std::string::npos) << s.platform.toasts[0].text;
}

TEST(CaptureSession, ConfirmedSelectionIsCopiedAndConfirmedWithItsSize) {
    Session s;
    s.config.overlay_dim_percent = 55;
    s.platform.overlay_answer = finished();
    s.run();

    ASSERT_EQ(s.platform.overlays.size(), 1u);
    EXPECT_EQ(s.platform.overlays_prepared, std::vector<size_t>{2});  // for the same monitors
    EXPECT_EQ(s.platform.overlays[0].frame_tiles, 2u);
    EXPECT_EQ(s.platform.overlays[0].monitors, 2u);
    EXPECT_EQ(s.platform.overlays[0].config, s.config);
    EXPECT_FALSE(s.platform.overlays[0].save_as);

    EXPECT_EQ(s.platform.copied, std::vector<Image>{picture()});
    ASSERT_EQ(s.platform.toasts.size(), 1u);
    EXPECT_EQ(s.platform.toasts[0].text, "Copied  640 \xC3\x97 480");
    EXPECT_EQ(s.platform.toasts[0].near, kSelection);
    EXPECT_TRUE(s.platform.errors.empty());
    EXPECT_EQ(s.platform.count("ask_save_path") + s.platform.count("send_to_device") + s.platform.count("pin_image"),
              0u);
}

TEST(CaptureSession, EscOrAnUnfinishedCaptureDoesNothingAtAll) {
    Session s;
    s.run(true);
    EXPECT_EQ(s.platform.calls, kUpToTheOverlay);
}

TEST(CaptureSession, AFinishedCaptureWithoutAPictureSaysSoOnceAndCopiesNothing) {
    std::vector<std::string> expected = kUpToTheOverlay;
    expected.push_back("show_error");

    Session s;
    OverlayOutcome no_picture;
    no_picture.selection = kSelection;
    no_picture.save = true;
    no_picture.failure = PlatformError::capture("the selection shows no part of the captured desktop");
    s.platform.overlay_answer = no_picture;
    s.run(true);
    EXPECT_EQ(s.platform.calls, expected);
    EXPECT_EQ(s.shown_errors(),
              std::vector<std::string>{"The capture failed: the selection shows no part of the captured desktop"});

    // Without a reason it is still a failed capture, not silence.
    Session t;
    no_picture.failure.reset();
    t.platform.overlay_answer = no_picture;
    t.run();
    EXPECT_EQ(t.platform.calls, expected);
    ASSERT_EQ(t.shown_errors().size(), 1u);
    EXPECT_EQ(t.shown_errors()[0].rfind("The capture failed: ", 0), 0u);
}

TEST(CaptureSession, ColourTextIsConfirmedWithoutAnAnchor) {
    Session s;
    OverlayOutcome colour;
    colour.colour_text = "#1A2B3C";
    s.platform.overlay_answer = colour;
    s.run();
    EXPECT_EQ(s.platform.count("copy_image"), 0u);  // the overlay copied the text itself
    ASSERT_EQ(s.platform.toasts.size(), 1u);
    EXPECT_EQ(s.platform.toasts[0].text, "Copied  #1A2B3C");
    EXPECT_EQ(s.platform.toasts[0].near, std::nullopt);
}

TEST(CaptureSession, PinWinsOverSaveAndSend) {
    Session s;
    s.platform.overlay_answer = finished({.save = true, .send = true, .pin = true});
    s.run(true);
    ASSERT_EQ(s.platform.pinned.size(), 1u);
    EXPECT_EQ(s.platform.pinned[0].first, picture());
    EXPECT_EQ(s.platform.pinned[0].second, kSelection);
    std::vector<std::string> expected = kUpToTheOverlay;
    expected.push_back("pin_image");
    EXPECT_EQ(s.platform.calls, expected);  // no copy, send, save or toast

    Session failing;
    failing.platform.overlay_answer = finished({.pin = true});
    failing.platform.pin_answer = fail(PlatformError::os("CreateWindowExW(pin)", 1400));
    failing.run();
    EXPECT_EQ(failing.shown_errors(),
              std::vector<std::string>{"The capture failed: CreateWindowExW(pin) failed (os error 1400)"});
    EXPECT_EQ(failing.platform.count("copy_image"), 0u);
}

TEST(CaptureSession, BusyClipboardStopsSendAndSaveWithOneMessage) {
    Session s;
    s.platform.overlay_answer = finished({.save = true, .send = true});
    s.platform.copy_answer = fail(PlatformError{PlatformError::ClipboardBusy{}});
    s.platform.save_answer = std::optional<fs::path>{s.root.path() / "a.png"};
    s.run(true);
    EXPECT_EQ(s.shown_errors(), std::vector<std::string>{"Another application is holding the clipboard. Try again."});
    EXPECT_EQ(s.platform.count("send_to_device") + s.platform.count("ask_save_path") + s.platform.count("show_toast"),
              0u);
    EXPECT_FALSE(fs::exists(s.root.path() / "a.png"));
}

TEST(CaptureSession, SentAndSavedPictureIsOnePngUnderFreshDefaultNames) {
    Session s;
    s.platform.overlay_answer = finished({.save = true, .send = true});
    s.platform.times = {kMorning, kLater};
    const fs::path target = s.root.path() / "a.png";
    s.platform.save_answer = std::optional<fs::path>{target};
    s.run();

    ASSERT_EQ(s.platform.sent.size(), 1u);
    EXPECT_EQ(s.platform.sent[0].file_name, "Kestrix 2026-03-02 09-05-03.png");
    // The dialog opens after the send panel has closed, with the clock read again.
    EXPECT_EQ(s.platform.save_suggestions, std::vector<std::string>{"Kestrix 2026-03-02 09-07-41.png"});

    const auto written = read_file(target);
    ASSERT_TRUE(written);
    const std::vector<uint8_t> bytes(written->begin(), written->end());
    EXPECT_EQ(bytes, s.platform.sent[0].png);
    // The clipboard's PNG is those same bytes: the picture is encoded once.
    ASSERT_EQ(s.platform.copied_png.size(), 1u);
    EXPECT_EQ(s.platform.copied_png[0], bytes);
    const auto decoded = kestrix::test::decode_png(bytes);
    ASSERT_TRUE(decoded.ok) << decoded.error;
    EXPECT_EQ(decoded.width, 640u);
    EXPECT_EQ(decoded.height, 480u);
    EXPECT_EQ(std::vector<uint8_t>(decoded.rgb.begin(), decoded.rgb.begin() + 3),
              (std::vector<uint8_t>{0x10, 0x20, 0x30}));

    ASSERT_EQ(s.platform.toasts.size(), 1u);
    EXPECT_EQ(s.platform.toasts[0].text, "Copied and saved  a.png");
    EXPECT_EQ(s.platform.toasts[0].near, kSelection);
    EXPECT_TRUE(s.platform.errors.empty());
}

TEST(CaptureSession, SaveOverwritesAnEarlierFileAndNamesAnUnreadableNameWithReplacementCharacters) {
    Session s;
    s.platform.overlay_answer = finished({.save = true});
#ifdef _WIN32
    // Windows names are UTF-16 and the file system keeps them readable; lone
    // surrogates are the Utf8 tests' concern.
    const fs::path target = s.root.path() / fs::path(L"shot\u00FF.png");
    const std::string shown = "shot\xC3\xBF.png";
#else
    const fs::path target = s.root.path() / fs::path("shot\xFF.png");  // not UTF-8
    const std::string shown = "shot\xEF\xBF\xBD.png";
#endif
    // An earlier, much longer file: nothing of it may be left behind the picture.
    AppFixture::write(target, std::string(2'000'000, 'x'));
    s.platform.save_answer = std::optional<fs::path>{target};
    s.run();
    const auto written = read_file(target);
    ASSERT_TRUE(written);
    EXPECT_EQ(written->substr(0, 8), "\x89PNG\r\n\x1A\n");
    EXPECT_EQ(std::vector<uint8_t>(written->begin(), written->end()), *encodePng(picture()));
    ASSERT_EQ(s.platform.toasts.size(), 1u);
    EXPECT_EQ(s.platform.toasts[0].text, "Copied and saved  " + shown);
}

TEST(CaptureSession, CancelledSaveAsLeavesTheCopyAndConfirmsIt) {
    Session s;
    s.platform.overlay_answer = finished({.save = true});
    s.run(true);
    EXPECT_EQ(s.platform.copied.size(), 1u);
    EXPECT_EQ(s.platform.save_suggestions, std::vector<std::string>{"Kestrix 2026-03-02 09-05-03.png"});
    ASSERT_EQ(s.platform.toasts.size(), 1u);
    EXPECT_EQ(s.platform.toasts[0].text, "Copied  640 \xC3\x97 480");
    EXPECT_TRUE(s.platform.errors.empty());
}

TEST(CaptureSession, FailuresAfterTheCopyShowOneMessageAndNoConfirmation) {
    // The send panel fails: nothing is saved.
    Session send;
    send.platform.overlay_answer = finished({.save = true, .send = true});
    send.platform.send_answer = fail(PlatformError{PlatformError::Unsupported{"Sending"}});
    send.run();
    EXPECT_EQ(send.shown_errors(),
              std::vector<std::string>{"The capture failed: Sending is not supported by this build"});
    EXPECT_EQ(send.platform.count("ask_save_path") + send.platform.count("show_toast"), 0u);

    // The dialog fails.
    Session dialog;
    dialog.platform.overlay_answer = finished({.save = true});
    dialog.platform.save_answer = fail(PlatformError::os("GetSaveFileNameW", 2));
    dialog.run();
    EXPECT_EQ(dialog.platform.errors.size(), 1u);
    EXPECT_EQ(dialog.platform.count("show_toast"), 0u);

    // The file cannot be written: the system's own text follows the message.
    Session write;
    write.platform.overlay_answer = finished({.save = true});
    const fs::path target = write.root.path() / "no such folder" / "a.png";
    write.platform.save_answer = std::optional<fs::path>{target};
    write.run();
    ASSERT_EQ(write.platform.errors.size(), 1u);
    ASSERT_TRUE(write.platform.errors[0].is<PlatformError::Io>());
    const std::string prefix = "Kestrix could not write the file: ";
    const std::string text = write.shown_errors()[0];
    EXPECT_EQ(text.rfind(prefix, 0), 0u);
    EXPECT_GT(text.size(), prefix.size());
    EXPECT_EQ(write.platform.count("show_toast"), 0u);
    EXPECT_FALSE(fs::exists(target));
}

TEST(CaptureSession, EachEarlyStepFailsWithOneMessageAndGoesNoFurther) {
    const PlatformError error = PlatformError::os("BitBlt", 6);
    const std::string shown = "The capture failed: BitBlt failed (os error 6)";

    Session monitors;
    monitors.platform.monitors_answer = fail(error);
    monitors.run();
    EXPECT_EQ(monitors.platform.calls, (std::vector<std::string>{"enumerate_monitors", "show_error"}));
    EXPECT_EQ(monitors.shown_errors(), std::vector<std::string>{shown});

    Session capture;
    capture.platform.capture_error = error;
    capture.run();
    EXPECT_EQ(capture.platform.calls,
              (std::vector<std::string>{"enumerate_monitors", "prepare_overlay", "capture_desktop", "show_error"}));
    EXPECT_EQ(capture.shown_errors(), std::vector<std::string>{shown});

    Session overlay;
    overlay.platform.overlay_answer = fail(error);
    overlay.run();
    std::vector<std::string> expected = kUpToTheOverlay;
    expected.push_back("show_error");
    EXPECT_EQ(overlay.platform.calls, expected);
    EXPECT_EQ(overlay.shown_errors(), std::vector<std::string>{shown});
}

TEST(CaptureSession, ConfirmationsOffShowNoToastButStillReportErrors) {
    Session copied;
    copied.config.show_confirmation = false;
    copied.platform.overlay_answer = finished();
    copied.run();
    EXPECT_EQ(copied.platform.copied.size(), 1u);
    EXPECT_EQ(copied.platform.count("show_toast"), 0u);

    Session colour;
    colour.config.show_confirmation = false;
    OverlayOutcome text;
    text.colour_text = "#FFFFFF";
    colour.platform.overlay_answer = text;
    colour.run();
    EXPECT_EQ(colour.platform.count("show_toast"), 0u);

    Session busy;
    busy.config.show_confirmation = false;
    busy.platform.overlay_answer = finished();
    busy.platform.copy_answer = fail(PlatformError{PlatformError::ClipboardBusy{}});
    busy.run();
    EXPECT_EQ(busy.platform.errors.size(), 1u);
}

TEST(CaptureSession, AToastThatCannotBeShownIsSilent) {
    Session s;
    s.platform.overlay_answer = finished();
    s.platform.toast_answer = fail(PlatformError::os("CreateWindowExW(toast)", 8));
    s.run();
    EXPECT_EQ(s.platform.count("show_toast"), 1u);
    EXPECT_TRUE(s.platform.errors.empty());
}

TEST(CaptureSession, EveryCopyAlsoGoesToTheCaptureFolderUnderANewName) {
    Session s;
    const fs::path folder = s.root.path() / "made" / "for captures";  // missing: it is made
    s.config.save_folder = utf8_from_path(folder);
    s.platform.overlay_answer = finished();
    s.run();
    s.platform.overlay_answer = finished();
    s.run();  // the same second

    const fs::path first = folder / "Kestrix 2026-03-02 090503.png";
    const fs::path second = folder / "Kestrix 2026-03-02 090503 (2).png";
    for (const fs::path& path : {first, second}) {
        const auto written = read_file(path);
        ASSERT_TRUE(written) << path;
        ASSERT_EQ(s.platform.copied_png.size(), 2u);
        EXPECT_EQ(std::vector<uint8_t>(written->begin(), written->end()), s.platform.copied_png[0]);
    }
    ASSERT_EQ(s.platform.toasts.size(), 2u);
    EXPECT_EQ(s.platform.toasts[1].text, "Copied and saved  Kestrix 2026-03-02 090503 (2).png");
    EXPECT_EQ(s.platform.toasts[1].near, kSelection);

    // Save As on top names the file chosen there; the folder still gets its copy.
    s.config.file_name_pattern = "shot {counter}";
    s.platform.overlay_answer = finished({.save = true});
    s.platform.save_answer = std::optional<fs::path>{s.root.path() / "chosen.png"};
    s.run();
    EXPECT_TRUE(read_file(folder / "shot 1.png"));
    EXPECT_EQ(s.platform.toasts.back().text, "Copied and saved  chosen.png");
    EXPECT_TRUE(s.platform.errors.empty());
    EXPECT_TRUE(s.platform.messages.empty());
}

TEST(CaptureSession, AFolderThatCannotBeWrittenGivesOneMessageAndTheCopyStands) {
    Session s;
    AppFixture::write(s.root.path() / "a file", "not a folder");
    s.config.save_folder = utf8_from_path(s.root.path() / "a file" / "shots");
    s.platform.overlay_answer = finished();
    s.run();
    EXPECT_EQ(s.platform.copied, std::vector<Image>{picture()});
    ASSERT_EQ(s.platform.messages.size(), 1u);
    EXPECT_TRUE(s.platform.messages[0].second.starts_with(
        "The capture is on the clipboard, but Kestrix could not save it in your capture folder: "))
        << s.platform.messages[0].second;
    EXPECT_TRUE(s.platform.toasts.empty());
    EXPECT_TRUE(s.platform.errors.empty());
}

TEST(CaptureSession, SaveAsWithAJpegNameWritesAJpegAndTheClipboardKeepsItsPng) {
    Session s;
    for (const char* name : {"a.JPG", "b.jpeg", "c.png", "d"}) {
        s.platform.overlay_answer = finished({.save = true});
        s.platform.save_answer = std::optional<fs::path>{s.root.path() / name};
        s.run();
        const auto written = read_file(s.root.path() / name);
        ASSERT_TRUE(written) << name;
        const bool jpeg = name[0] < 'c';
        EXPECT_EQ(written->substr(0, 2) == "\xFF\xD8", jpeg) << name;
        if (jpeg) EXPECT_EQ(written->substr(2), std::string("\0\0\x02\x80\0\0\x01\xE0", 8)) << name;
        else EXPECT_EQ(std::vector<uint8_t>(written->begin(), written->end()), s.platform.copied_png.back()) << name;
    }
    EXPECT_EQ(s.platform.jpeg_qualities, (std::vector<uint8_t>{90, 90}));
    EXPECT_EQ(s.platform.copied_png.size(), 4u);
    EXPECT_EQ(s.platform.toasts.back().text, "Copied and saved  d");
}
