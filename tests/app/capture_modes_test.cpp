// The capture modes through the application: what each one opens the overlay with,
// the delay, the last region it remembers, the events and the command line that
// start them, and the capture written straight to a file.
#include <gtest/gtest.h>

#include "app_events.h"
#include "app_fixture.h"
#include "capture_session.h"
#include "core/keyboard_tables.h"
#include "kestrix/file_io.h"
#include "kestrix/i18n.h"
#include "png_decode.h"
#include "program.h"
#include "startup.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

namespace fs = std::filesystem;

const Rect kPrimary{0, 0, 1280, 720};
const Rect kRight{1280, 0, 800, 600};

OverlayOutcome finished(const Rect& selection, bool pin = false) {
    OverlayOutcome outcome;
    outcome.image = *make_image(uint32_t(selection.width), uint32_t(selection.height),
                                std::vector<uint8_t>(size_t(selection.width) * size_t(selection.height) * 4, 0x40));
    outcome.selection = selection;
    outcome.pin = pin;
    return outcome;
}

struct Modes : AppFixture {
    AppState state;
    Modes() {
        set_language(kEnglish);
        platform.monitors_answer =
            std::vector<Monitor>{{1, kPrimary, 100, 100, true}, {2, kRight, 100, 100, false}};
    }
    bool handle(AppEvent event) { return handle_app_event(event, state, env); }
    std::optional<Rect> opened_with() const {
        return platform.overlays.empty() ? std::optional<Rect>{Rect{-1, -1, -1, -1}} : platform.overlays.back().selection;
    }
};

}  // namespace

TEST(CaptureModes, EachModeOpensTheOverlayWithItsSelection) {
    Modes m;
    m.platform.pointer = {1500, 100};
    EXPECT_FALSE(m.handle(AppEvent::CaptureScreen));
    EXPECT_EQ(m.opened_with(), kRight);

    ForegroundWindow window;
    window.class_name = "Notepad";
    window.frame = Rect{100, 80, 500, 300};
    m.platform.foreground = window;
    EXPECT_FALSE(m.handle(AppEvent::CaptureWindow));
    EXPECT_EQ(m.opened_with(), (Rect{100, 80, 500, 300}));
    // The window and the pointer are read before the desktop is frozen, and before the
    // overlay's hidden window is made (it must not be what is read as the window in front).
    const std::vector<std::string> window_road = {"pointer_position", "foreground_window", "enumerate_monitors",
                                                  "prepare_overlay", "capture_desktop", "open_overlay"};
    EXPECT_EQ(std::vector<std::string>(m.platform.calls.end() - 6, m.platform.calls.end()), window_road);

    m.platform.calls.clear();
    EXPECT_FALSE(m.handle(AppEvent::CaptureRegion));
    EXPECT_EQ(m.opened_with(), std::nullopt);
    // A region capture reads neither.
    EXPECT_EQ(m.platform.calls,
              (std::vector<std::string>{"enumerate_monitors", "prepare_overlay", "capture_desktop", "open_overlay"}));
}

TEST(CaptureModes, TheLastRegionIsTheLastFinishedCaptureOnly) {
    Modes m;
    // None yet: the menu does not offer it and the mode opens for dragging.
    EXPECT_FALSE(m.handle(AppEvent::CaptureLastRegion));
    EXPECT_EQ(m.opened_with(), std::nullopt);
    EXPECT_TRUE(m.platform.last_region_offers.empty());

    m.platform.overlay_answer = finished({100, 50, 640, 480});
    m.handle(AppEvent::CaptureRegion);
    EXPECT_EQ(m.platform.last_region_offers, std::vector<bool>{true});

    // Cancelled, a colour copied, or a copy that failed: the region stays the earlier one.
    m.platform.overlay_answer = OverlayOutcome{};
    m.handle(AppEvent::CaptureRegion);
    OverlayOutcome colour;
    colour.colour_text = "#102030";
    m.platform.overlay_answer = colour;
    m.handle(AppEvent::CaptureRegion);
    m.platform.overlay_answer = finished({1, 2, 30, 40});
    m.platform.copy_answer = fail(PlatformError{PlatformError::ClipboardBusy{}});
    m.handle(AppEvent::CaptureRegion);
    m.platform.copy_answer = {};
    m.platform.overlay_answer = OverlayOutcome{};
    m.handle(AppEvent::CaptureLastRegion);
    EXPECT_EQ(m.opened_with(), (Rect{100, 50, 640, 480}));

    // A pin finishes a capture too; the menu heard about the region once only.
    m.platform.overlay_answer = finished({1300, 10, 200, 100}, true);
    m.handle(AppEvent::CaptureAndSaveAs);
    m.platform.overlay_answer = OverlayOutcome{};
    m.handle(AppEvent::CaptureLastRegion);
    EXPECT_EQ(m.opened_with(), (Rect{1300, 10, 200, 100}));
    EXPECT_EQ(m.platform.last_region_offers, std::vector<bool>{true});

    // The right monitor unplugged: the part it showed is cut away.
    m.platform.monitors_answer = std::vector<Monitor>{{1, kPrimary, 100, 100, true}};
    m.platform.overlay_answer = finished({1100, 600, 400, 300});
    m.handle(AppEvent::CaptureRegion);
    m.platform.overlay_answer = OverlayOutcome{};
    m.handle(AppEvent::CaptureLastRegion);
    EXPECT_EQ(m.opened_with(), (Rect{1100, 600, 180, 120}));
}

TEST(CaptureModes, TheDelayIsCountedDownBeforeTheFreezeAndCanBeCancelled) {
    Modes m;
    EXPECT_FALSE(m.handle(AppEvent::CaptureAfter3Seconds));
    EXPECT_FALSE(m.handle(AppEvent::CaptureAfter5Seconds));
    EXPECT_FALSE(m.handle(AppEvent::CaptureAfter10Seconds));
    using Countdown = PlatformDouble::Countdown;
    EXPECT_EQ(m.platform.countdowns, (std::vector<Countdown>{{3, true}, {5, true}, {10, true}}));
    EXPECT_EQ(m.platform.calls[0], "count_down");
    EXPECT_EQ(m.platform.calls[1], "enumerate_monitors");
    // The window list the overlay snaps to is read after the wait, not before it.
    EXPECT_EQ(m.platform.calls[2], "prepare_overlay");
    EXPECT_EQ(m.platform.overlays.size(), 3u);

    // The hotkey during the wait: at once, the same way.
    m.platform.countdown_answer = CountdownEnd::Hurried;
    m.handle(AppEvent::CaptureAfter5Seconds);
    EXPECT_EQ(m.platform.overlays.size(), 4u);

    // Cancelled: nothing frozen, nothing said.
    m.platform.calls.clear();
    m.platform.countdown_answer = CountdownEnd::Cancelled;
    m.handle(AppEvent::CaptureAfter10Seconds);
    EXPECT_EQ(m.platform.calls, std::vector<std::string>{"count_down"});

    // A countdown that cannot be shown is one error, and no capture.
    m.platform.calls.clear();
    m.platform.countdown_answer = fail(PlatformError::os("CreateWindowExW(countdown)", 8));
    m.handle(AppEvent::CaptureAfter3Seconds);
    EXPECT_EQ(m.platform.calls, (std::vector<std::string>{"count_down", "show_error"}));
}

TEST(CaptureModes, AWindowCountdownLeavesTheKeyboardToTheWindow) {
    Modes m;
    m.platform.capture_requests = {{CaptureMode::Window, 4}, {CaptureMode::Screen, 2}};
    m.handle(AppEvent::RequestedCapture);
    m.handle(AppEvent::RequestedCapture);
    m.handle(AppEvent::RequestedCapture);  // nothing left: nothing happens
    using Countdown = PlatformDouble::Countdown;
    EXPECT_EQ(m.platform.countdowns, (std::vector<Countdown>{{4, false}, {2, true}}));
    EXPECT_EQ(m.platform.overlays.size(), 2u);
    EXPECT_EQ(m.platform.count("take_capture_request"), 3u);
}

TEST(CaptureModes, TheNestedHotkeyCarriesItsMode) {
    Modes m;
    m.platform.pointer = {1400, 300};
    handle_nested_hotkey(m.state, m.env, {CaptureMode::Screen, 0});
    EXPECT_EQ(m.opened_with(), kRight);
}

TEST(CaptureModes, TheCommandLineStartsTheTrayWithTheCaptureOrHandsItToTheRunningCopy) {
    {
        Modes m;
        EXPECT_EQ(run_program(std::vector<std::string>{"--capture", "window", "--delay", "5"}, m.env), 0);
        ASSERT_EQ(m.platform.host_settings.size(), 1u);
        EXPECT_EQ(m.platform.host_settings[0].first_capture, (CaptureRequest{CaptureMode::Window, 5}));
        EXPECT_TRUE(m.printed.empty());
    }
    {
        Modes m;
        m.platform.claim_default = false;
        EXPECT_EQ(run_program(std::vector<std::string>{"--capture", "region"}, m.env), 0);
        EXPECT_EQ(m.platform.signalled_captures, std::vector<CaptureRequest>{CaptureRequest{}});
        EXPECT_EQ(m.platform.count("signal_running_instance") + m.platform.count("run"), 0u);
    }
    {
        // A plain second start still opens the running copy's Settings.
        Modes m;
        m.platform.claim_default = false;
        EXPECT_EQ(run_program(std::vector<std::string>{}, m.env), 0);
        EXPECT_EQ(m.platform.count("signal_running_instance"), 1u);
        EXPECT_TRUE(m.platform.signalled_captures.empty());
    }
}

TEST(CaptureModes, TheHostGetsEveryHotkeyOfTheFile) {
    Modes m;
    AppFixture::write(m.beside_program(), "hotkey_screen = Shift+F9\nhotkey_window = Ctrl+Shift+W\n");
    EXPECT_EQ(run_tray_application(m.env), 0);
    ASSERT_EQ(m.platform.host_settings.size(), 1u);
    const HostSettings& host = m.platform.host_settings[0];
    EXPECT_EQ(host.hotkey, Hotkey{});
    EXPECT_EQ(host.hotkey_last_region, std::nullopt);
    EXPECT_EQ(host.hotkey_screen, parse_hotkey("Shift+F9").value());
    EXPECT_EQ(host.hotkey_window, parse_hotkey("Ctrl+Shift+W").value());
    EXPECT_EQ(host.first_capture, std::nullopt);
}

TEST(CaptureModes, TheStandInForATypingDefaultTakesItsCombinationFromAnotherMode) {
    Modes m;
    // Ctrl+Alt+A types on the Polish layout, so Ctrl+Shift+A stands in for it.
    m.platform.layouts = {test::us_layout(), test::polish_layout()};
    AppFixture::write(m.beside_program(), "hotkey_screen = Ctrl+Shift+A\nhotkey_window = Ctrl+Alt+A\n");
    EXPECT_EQ(run_tray_application(m.env), 0);
    ASSERT_EQ(m.platform.host_settings.size(), 1u);
    const HostSettings& host = m.platform.host_settings[0];
    EXPECT_EQ(host.hotkey.text(), "Ctrl+Shift+A");
    EXPECT_EQ(host.hotkey_screen, std::nullopt);
    // The file's own clash with the default was already a warning and off.
    EXPECT_EQ(host.hotkey_window, std::nullopt);

    // On layouts where the default types nothing, the same file keeps the screen's hotkey.
    Modes plain;
    plain.platform.layouts = {test::us_layout()};
    AppFixture::write(plain.beside_program(), "hotkey_screen = Ctrl+Shift+A\n");
    EXPECT_EQ(run_tray_application(plain.env), 0);
    ASSERT_EQ(plain.platform.host_settings.size(), 1u);
    EXPECT_EQ(plain.platform.host_settings[0].hotkey_screen, parse_hotkey("Ctrl+Shift+A").value());
}

TEST(CaptureModes, BadCaptureArgumentsPrintTheProblemAndTheUsageLine) {
    Modes m;
    EXPECT_EQ(run_program(std::vector<std::string>{"--capture", "screen", "--delay", "x"}, m.env), 2);
    EXPECT_EQ(m.printed, std::vector<std::string>{
                             "--delay takes whole seconds from 0 to 60, not `x`.\n"
                             "Usage: kestrix --capture region|last|screen|window [--delay SECONDS] [--output FILE "
                             "[--rect X,Y,W,H]]"});
    EXPECT_TRUE(m.platform.calls.empty());
}

// --- straight to a file ---------------------------------------------------------------

namespace {

// A frame of the two monitors whose every pixel tells where it is: blue = x, green = y.
Frame marked_frame() {
    Frame frame;
    for (const Rect& rect : {kPrimary, kRight}) {
        std::vector<uint8_t> pixels;
        for (int32_t y = 0; y < rect.height; ++y)
            for (int32_t x = 0; x < rect.width; ++x)
                pixels.insert(pixels.end(), {uint8_t(rect.x + x), uint8_t(y), uint8_t(rect.x == 0 ? 1 : 2), 0xFF});
        frame.tiles.push_back(Tile{*make_image(uint32_t(rect.width), uint32_t(rect.height), std::move(pixels)), rect, 100});
    }
    return frame;
}

struct ToFile : Modes {
    ToFile() { platform.frame_answer = marked_frame(); }
    fs::path target() const { return root.path() / "shots" / "shot.png"; }
    int capture(std::initializer_list<std::string> options) {
        std::vector<std::string> arguments{"--capture"};
        arguments.insert(arguments.end(), options);
        fs::create_directories(target().parent_path());
        return run_program(arguments, env);
    }
    test::DecodedPng written() const {
        const auto bytes = read_file(target());
        if (!bytes) return {};
        return test::decode_png(std::vector<uint8_t>(bytes->begin(), bytes->end()));
    }
};

// Red, green, blue of the decoded picture's pixel.
std::array<uint8_t, 3> rgb_at(const test::DecodedPng& png, uint32_t x, uint32_t y) {
    const size_t at = (size_t(y) * png.width + x) * 3;
    return {png.rgb[at], png.rgb[at + 1], png.rgb[at + 2]};
}

}  // namespace

TEST(CaptureToFile, TheScreenUnderThePointerIsWrittenAndItsPathPrinted) {
    ToFile t;
    t.platform.pointer = {1500, 20};
    EXPECT_EQ(t.capture({"screen", "--output", t.target().string()}), 0);
    EXPECT_EQ(t.printed, std::vector<std::string>{t.target().string()});
    const test::DecodedPng png = t.written();
    ASSERT_TRUE(png.ok) << png.error;
    EXPECT_EQ(png.width, 800u);
    EXPECT_EQ(png.height, 600u);
    EXPECT_EQ(rgb_at(png, 0, 0), (std::array<uint8_t, 3>{2, 0, uint8_t(1280)}));
    EXPECT_EQ(rgb_at(png, 7, 9), (std::array<uint8_t, 3>{2, 9, uint8_t(1287)}));
    // No overlay, no tray, no single-instance claim: it runs beside a running copy.
    for (const char* operation :
         {"prepare_overlay", "open_overlay", "run", "claim_single_instance", "copy_image", "show_toast"})
        EXPECT_EQ(t.platform.count(operation), 0u) << operation;
    EXPECT_EQ(t.platform.calls.front(), "prepare");
}

TEST(CaptureToFile, ARectangleIsCutToTheScreensAndARelativePathPrintedWhole) {
    ToFile t;
    const fs::path before = fs::current_path();
    fs::create_directories(t.target().parent_path());
    fs::current_path(t.target().parent_path());
    const int code = t.capture({"region", "--rect", "1200,700,200,100", "--output", "shot.png", "--delay", "2"});
    fs::current_path(before);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(t.printed, std::vector<std::string>{fs::weakly_canonical(t.target()).string()});
    const test::DecodedPng png = t.written();
    ASSERT_TRUE(png.ok) << png.error;
    // Of 200 x 100 from (1200, 700) the primary shows 80 x 20; the right monitor ends
    // at y 600 and shows none of it.
    EXPECT_EQ(png.width, 80u);
    EXPECT_EQ(png.height, 20u);
    EXPECT_EQ(rgb_at(png, 0, 0), (std::array<uint8_t, 3>{1, uint8_t(700), uint8_t(1200)}));
    using Countdown = PlatformDouble::Countdown;
    EXPECT_EQ(t.platform.countdowns, (std::vector<Countdown>{{2, true}}));
}

TEST(CaptureToFile, AnyFailureIsOneLineAndExitCodeOne) {
    {
        ToFile t;
        EXPECT_EQ(t.capture({"region", "--rect", "5000,5000,10,10", "--output", t.target().string()}), 1);
        EXPECT_EQ(t.printed, std::vector<std::string>{"Kestrix could not capture 5000,5000,10,10: no screen shows it."});
        EXPECT_FALSE(fs::exists(t.target()));
    }
    {
        ToFile t;
        t.platform.capture_error = PlatformError::os("BitBlt", 6);
        EXPECT_EQ(t.capture({"window", "--output", t.target().string()}), 1);
        EXPECT_EQ(t.printed, std::vector<std::string>{"Kestrix could not capture the screen: BitBlt failed (os error 6)"});
    }
    {
        ToFile t;
        t.platform.countdown_answer = CountdownEnd::Cancelled;
        EXPECT_EQ(t.capture({"screen", "--delay", "3", "--output", t.target().string()}), 1);
        EXPECT_EQ(t.printed, std::vector<std::string>{"Kestrix did not capture: the countdown was cancelled."});
        EXPECT_EQ(t.platform.count("capture_desktop"), 0u);
    }
    {
        // A directory in the way of the file: the earlier contents stay, the reason is given.
        ToFile t;
        fs::create_directories(t.target());
        EXPECT_EQ(t.capture({"screen", "--output", t.target().string()}), 1);
        ASSERT_EQ(t.printed.size(), 1u);
        EXPECT_TRUE(t.printed[0].starts_with("Kestrix could not write " + t.target().string() + ": ")) << t.printed[0];
        EXPECT_TRUE(fs::is_directory(t.target()));
    }
}

TEST(CaptureToFile, AnExistingFileIsReplacedWhole) {
    ToFile t;
    fs::create_directories(t.target().parent_path());
    AppFixture::write(t.target(), std::string(3'000'000, 'x'));
    t.platform.pointer = {10, 10};
    EXPECT_EQ(t.capture({"screen", "--output", t.target().string()}), 0);
    const test::DecodedPng png = t.written();
    ASSERT_TRUE(png.ok) << png.error;
    EXPECT_EQ(png.width, 1280u);
    EXPECT_EQ(png.height, 720u);
}
