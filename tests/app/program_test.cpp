#include "program.h"

#include <gtest/gtest.h>

#include "answers.h"
#include "app_fixture.h"
#include "kestrix/i18n.h"
#include "kestrix/utf8.h"

using namespace kestrix;
using namespace kestrix::testing;

namespace {

// The help text as the user sees it, written out by hand.
const std::string kHelp =
    "One shortcut. Capture, copy, continue.\n"
    "\n"
    "Kestrix runs in the notification area with no main window. Its menu has\n"
    "Settings\u2026, where the capture shortcut and the language can be changed.\n"
    "\n"
    "  Ctrl+Alt+A     capture a region (configurable)\n"
    "  drag           select; the size is shown while you drag\n"
    "  release        the selection stays put and the mark-up tools appear\n"
    "  Enter          copy to the clipboard and close\n"
    "  Ctrl+S         copy and open \"Save as\"\n"
    "  Esc            cancel; nothing is copied and nothing is written\n"
    "\n"
    "Options:\n"
    "  --print-config   show the current settings as a config file\n"
    "  --config-path    show which config file is in use\n"
    "  --diagnose       show the detected screens, scales and permissions\n"
    "  --version        show the version\n"
    "  --help           show this text\n"
    "  --capture MODE   capture now: region (drag one out), last (the previous\n"
    "                   region again), screen (the monitor under the pointer)\n"
    "                   or window (the active one), ready to mark up and copy\n"
    "  --delay SECONDS  with --capture: wait 0 to 60 seconds first\n"
    "  --output FILE    with --capture: write the picture to FILE as PNG and\n"
    "                   print its path, with no overlay (screen, window, or\n"
    "                   region with --rect X,Y,W,H in desktop units)\n"
    "\n"
    "Usage: kestrix --capture region|last|screen|window [--delay SECONDS] [--output FILE [--rect X,Y,W,H]]\n"
    "\n"
    "Kestrix does not upload screenshots and collects no data about how you use it.\n"
    "It reaches the network to ask whether there is a newer version -- now and then\n"
    "on its own, which you can turn off in Settings, and whenever you pick Check for\n"
    "Updates -- and when you send a capture to a device on your own network. Asking\n"
    "about a version fetches a small signed text file; like any HTTP client it sends\n"
    "the version it is asking on behalf of, and nothing else about you.";

struct Program : AppFixture {
    int run(std::initializer_list<std::string> arguments) {
        const std::vector<std::string> list(arguments);
        return run_program(list, env);
    }
    // The operations that only the running application may use.
    bool touched_running_application() const {
        for (const char* operation : {"claim_single_instance", "signal_running_instance", "run", "run_host",
                                      "show_message", "show_error"})
            if (platform.count(operation) != 0) return true;
        return false;
    }
};

}  // namespace

TEST(Program, HelpOptionsPrintTheHelpTextOnce) {
    for (const char* option : {"--help", "-h", "/?"}) {
        Program p;
        EXPECT_EQ(p.run({option, "--version"}), 0) << option;
        EXPECT_EQ(p.printed, std::vector<std::string>{kHelp}) << option;
        EXPECT_FALSE(p.touched_running_application()) << option;
    }
}

TEST(Program, VersionJoinsNameVersionAndPlatformAndIgnoresLaterArguments) {
    for (const char* option : {"--version", "-V"}) {
        Program p;
        p.platform.name = "windows-gdi";
        EXPECT_EQ(p.run({option, "--help", "more"}), 0);
        EXPECT_EQ(p.printed, std::vector<std::string>{"Kestrix " KESTRIX_VERSION " (windows-gdi)"});
        EXPECT_FALSE(p.touched_running_application());
    }
    EXPECT_EQ(version_line("windows-gdi", "0.9.22"), "Kestrix 0.9.22 (windows-gdi)");
}

TEST(Program, UnknownOptionsAreCaseSensitiveAndExitWithTwo) {
    for (const char* option : {"-H", "--HELP", "--Version", "help", "--after-update=1"}) {
        Program p;
        EXPECT_EQ(p.run({option}), 2) << option;
        EXPECT_EQ(p.printed, std::vector<std::string>{"Unknown option `" + std::string(option) + "`.\n\n" + kHelp});
        EXPECT_FALSE(p.touched_running_application());
    }
}

TEST(Program, EmptyArgumentShowsTwoBackquotesWithNothingBetween) {
    Program p;
    EXPECT_EQ(p.run({""}), 2);
    ASSERT_EQ(p.printed.size(), 1u);
    EXPECT_EQ(p.printed[0], "Unknown option ``.\n\n" + kHelp);
}

TEST(Program, PrintConfigPrintsTheEffectiveSettingsWithoutWarnings) {
    Program p;
    p.write(p.beside_program(), "hotkey = \"Shift+F12\"\nbogus = 1\noverlay_dim_percent = 20\n");
    EXPECT_EQ(p.run({"--print-config"}), 0);
    Config expected;
    expected.hotkey = *parse_hotkey("Shift+F12");
    expected.overlay_dim_percent = 20;
    EXPECT_EQ(p.printed, std::vector<std::string>{render_config(expected)});
    EXPECT_EQ(p.printed[0].find("bogus"), std::string::npos);
    EXPECT_FALSE(p.touched_running_application());
}

TEST(Program, PrintConfigWithoutAFilePrintsTheDefaults) {
    Program p;
    EXPECT_EQ(p.run({"--print-config"}), 0);
    EXPECT_EQ(p.printed, std::vector<std::string>{render_config(Config{})});
}

TEST(Program, ConfigPathNamesTheFileInUseInEnglish) {
    {
        Program p;
        p.write(p.beside_program(), "language = \"de\"\n");
        p.write(p.per_user(), "");
        EXPECT_EQ(p.run({"--config-path"}), 0);
        // The configured language is not applied for informational options.
        EXPECT_EQ(p.printed, std::vector<std::string>{"Config file: " + utf8_from_path(p.beside_program())});
        EXPECT_FALSE(p.touched_running_application());
    }
    {
        Program p;
        p.write(p.per_user(), "language = \"fr\"\n");
        EXPECT_EQ(p.run({"--config-path"}), 0);
        EXPECT_EQ(p.printed, std::vector<std::string>{"Config file: " + utf8_from_path(p.per_user())});
    }
    {
        Program p;
        EXPECT_EQ(p.run({"--config-path"}), 0);
        EXPECT_EQ(p.printed,
                  std::vector<std::string>{"No config file. Kestrix is using its defaults and has written nothing."});
    }
}

TEST(Program, InformationalAnswersAreEnglishWhateverLanguageWasCurrent) {
    Program p;
    set_language(match_language_tag("de"));
    EXPECT_EQ(p.run({"--config-path"}), 0);
    EXPECT_EQ(p.printed,
              std::vector<std::string>{"No config file. Kestrix is using its defaults and has written nothing."});
}

TEST(Program, DiagnoseExitsWithZeroAndNeverClaimsTheInstance) {
    Program p;
    p.platform.monitors_answer = fail(PlatformError::os("EnumDisplayMonitors", 8));
    EXPECT_EQ(p.run({"--diagnose"}), 0);
    ASSERT_EQ(p.printed.size(), 1u);
    EXPECT_NE(p.printed[0].find("Screens could not be read: EnumDisplayMonitors failed (os error 8)"),
              std::string::npos);
    EXPECT_FALSE(p.touched_running_application());
}

TEST(Program, NoArgumentRunsTheTrayApplicationAndAfterUpdateToo) {
    {
        Program p;
        EXPECT_EQ(p.run({}), 0);
        EXPECT_EQ(p.platform.count("run"), 1u);
        EXPECT_TRUE(p.printed.empty());
    }
    {
        Program p;
        p.platform.claim_answers = {false, true};
        EXPECT_EQ(p.run({"--after-update", "ignored"}), 0);
        EXPECT_EQ(p.platform.count("run"), 1u);
        EXPECT_EQ(p.platform.count("signal_running_instance"), 0u);
        EXPECT_EQ(p.sleeps.size(), 1u);
    }
    {
        // The Run key's start: the tray application, without the running notice.
        Program p;
        EXPECT_EQ(p.run({"--at-login"}), 0);
        ASSERT_EQ(p.platform.host_settings.size(), 1u);
        EXPECT_EQ(p.platform.host_settings[0].start_notice, std::nullopt);
        Program second;
        second.platform.claim_default = false;
        EXPECT_EQ(second.run({"--at-login"}), 0);
        EXPECT_EQ(second.platform.count("signal_running_instance"), 1u);
    }
}
