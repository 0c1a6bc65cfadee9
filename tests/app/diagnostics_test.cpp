#include "diagnostics.h"

#include <gtest/gtest.h>

#include "app_fixture.h"
#include "core/keyboard_tables.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

Monitor monitor(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t ui, uint32_t px, bool primary) {
    Monitor m;
    m.rect = {x, y, w, h};
    m.ui_scale = ui;
    m.pixel_scale = px;
    m.primary = primary;
    return m;
}

struct Diagnose : AppFixture {
    Diagnose() {
        set_language(kEnglish);
        platform.name = "windows-gdi";
        platform.diagnostics = {"System prefers: en-US, de-DE", "Windows offered for snapping: 4"};
    }
    std::string report() { return diagnostics_report(platform, env.config_dirs); }
};

}  // namespace

TEST(Diagnostics, TwoMonitorReportInTheExactFormat) {
    Diagnose d;
    d.platform.monitors_answer =
        std::vector<Monitor>{monitor(0, 0, 1920, 1080, 100, 100, true), monitor(-1280, 0, 1280, 1024, 150, 150, false)};
    EXPECT_EQ(d.report(),
              "Kestrix " KESTRIX_VERSION " (windows-gdi)\n"
              "System prefers: en-US, de-DE\n"
              "Windows offered for snapping: 4\n"
              "\n"
              "Capture hotkey: Ctrl+Alt+A\n"
              "No config file. Kestrix is using its defaults and has written nothing.\n"
              "Keyboard layouts: none reported\n"
              "\n"
              "Virtual desktop: Rect { x: -1280, y: 0, width: 3200, height: 1080 }\n"
              "2 screen(s), in desktop units:\n"
              "  *     0,0       1920x1080  units   1920x1080 px   ui 100%   pixels 100%\n"
              "    -1280,0       1280x1024  units   1920x1536 px   ui 150%   pixels 150%\n"
              "  (* = primary; the desktop origin is its top-left corner)\n"
              "\n"
              "Capture test:\n"
              "  ok   1920x1080  units -> 1920x1080 px at 100%\n"
              "  ok   1280x1024  units -> 1920x1536 px at 150%\n");
    EXPECT_EQ(d.platform.calls, (std::vector<std::string>{"platform_name", "prepare", "diagnostic_lines",
                                                          "keyboard_layouts", "enumerate_monitors", "capture_desktop"}));
}

TEST(Diagnostics, MonitorLinePadsEveryField) {
    EXPECT_EQ(monitor_report_line(monitor(0, 0, 1920, 1080, 100, 100, true)),
              "  *     0,0       1920x1080  units   1920x1080 px   ui 100%   pixels 100%\n");
    EXPECT_EQ(monitor_report_line(monitor(-32000, -1200, 800, 600, 125, 0, false)),
              "   -32000,-1200    800x600   units   800x600 px   ui 125%   pixels 0%\n");
    // Wider numbers are not cut.
    EXPECT_EQ(monitor_report_line(monitor(1234567, 7654321, 123456, 7, 100, 100, false)),
              "   1234567,7654321 123456x7     units   123456x7 px   ui 100%   pixels 100%\n");
}

TEST(Diagnostics, CapturedPixelsUseIntegerDivisionZeroForEmptySidesAndA32BitCap) {
    EXPECT_EQ(monitor_report_line(monitor(0, 0, 1001, 333, 100, 175, false)),
              "        0,0       1001x333   units   1751x582 px   ui 100%   pixels 175%\n");
    EXPECT_EQ(monitor_report_line(monitor(0, 0, -5, 0, 100, 100, false)),
              "        0,0         -5x0     units   0x0 px   ui 100%   pixels 100%\n");
    EXPECT_EQ(monitor_report_line(monitor(0, 0, 2147483647, 1, 100, 4294967295u, false)),
              "        0,0      2147483647x1     units   4294967295x42949672 px   ui 100%   pixels 4294967295%\n");
}

TEST(Diagnostics, RectDebugForm) {
    EXPECT_EQ(rect_debug_text(Rect{-1280, -4, 3200, 1084}), "Rect { x: -1280, y: -4, width: 3200, height: 1084 }");
    EXPECT_EQ(rect_debug_text(Rect{}), "Rect { x: 0, y: 0, width: 0, height: 0 }");
}

TEST(Diagnostics, PrepareFailureAndConfigWarningsBecomeLines) {
    Diagnose d;
    d.platform.prepare_answer = fail(PlatformError{PlatformError::Unsupported{"DPI awareness"}});
    d.platform.diagnostics = {};
    d.write(d.per_user(), "hotkey = \"Shift+F12\"\n\nwallpaper = \"no\"\n");
    d.platform.monitors_answer = std::vector<Monitor>{};
    EXPECT_EQ(d.report(),
              "Kestrix " KESTRIX_VERSION " (windows-gdi)\n"
              "\n"
              "prepare() failed: DPI awareness is not supported by this build\n"
              "\n"
              "Capture hotkey: Shift+F12\n"
              "Config file: " +
                  utf8_from_path(d.per_user()) +
                  "\n"
                  "  config line 3: unknown key `wallpaper`\n"
                  "Keyboard layouts: none reported\n"
                  "\n"
                  "Virtual desktop: Rect { x: 0, y: 0, width: 0, height: 0 }\n"
                  "0 screen(s), in desktop units:\n"
                  "  (* = primary; the desktop origin is its top-left corner)\n"
                  "\n"
                  "Capture test:\n");
}

TEST(Diagnostics, TheKeyboardLinesNameEveryCharacterTheHotkeyTakesPerLayout) {
    const std::vector<KeyboardLayout> layouts = {test::us_layout(), test::german_layout(), test::polish_layout()};
    LoadedConfig loaded;
    EXPECT_EQ(keyboard_report(loaded, layouts),
              "Keyboard layouts: en-US 04090409, de-DE 04070407, pl-PL 04150415\n"
              "  Ctrl+Alt+A types \"\u0105\" with pl-PL 04150415\n"
              "  in force instead: Ctrl+Shift+A, which types nothing on these layouts\n");
    // Written in the file, it stays in force; every layout it types on is named.
    loaded.values.hotkey = *parse_hotkey("Ctrl+Alt+E");
    loaded.hotkey_written = true;
    EXPECT_EQ(keyboard_report(loaded, layouts),
              "Keyboard layouts: en-US 04090409, de-DE 04070407, pl-PL 04150415\n"
              "  Ctrl+Alt+E types \"\u20AC\" with de-DE 04070407\n"
              "  Ctrl+Alt+E types \"\u0119\" with pl-PL 04150415\n");
    KeyboardLayout unnamed = test::us_layout();
    unnamed.name.clear();
    loaded.values.hotkey = *parse_hotkey("Shift+F12");
    EXPECT_EQ(keyboard_report(loaded, std::vector{unnamed}), "Keyboard layouts: 04090409\n");
}

TEST(Diagnostics, ScreensThatCannotBeReadEndTheReport) {
    Diagnose d;
    d.platform.monitors_answer = fail(PlatformError::os("EnumDisplayMonitors", 1));
    const std::string report = d.report();
    const std::string ending =
        "No config file. Kestrix is using its defaults and has written nothing.\n"
        "Keyboard layouts: none reported\n"
        "\n"
        "Screens could not be read: EnumDisplayMonitors failed (os error 1)\n";
    ASSERT_GE(report.size(), ending.size());
    EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
    EXPECT_EQ(d.platform.count("capture_desktop"), 0u);
}

TEST(Diagnostics, AFailedCaptureIsOneLine) {
    Diagnose d;
    d.platform.monitors_answer = std::vector<Monitor>{monitor(0, 0, 800, 600, 100, 100, true)};
    d.platform.capture_error = PlatformError::os("BitBlt(monitor)", 6);
    const std::string report = d.report();
    const std::string ending = "\nCapture test:\n  FAILED: BitBlt(monitor) failed (os error 6)\n";
    ASSERT_GE(report.size(), ending.size());
    EXPECT_EQ(report.substr(report.size() - ending.size()), ending);
}
