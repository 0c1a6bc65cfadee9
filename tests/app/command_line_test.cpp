#include "command_line.h"

#include <gtest/gtest.h>

using namespace kestrix;
using Strings = std::vector<std::string>;

namespace {

// The arguments after the program name.
Strings after_program(std::u16string_view line) {
    Strings all = split_command_line(line);
    EXPECT_FALSE(all.empty());
    return Strings(all.begin() + 1, all.end());
}

Command command_of(std::initializer_list<std::string> arguments) {
    const Strings list(arguments);
    return parse_command(list);
}

}  // namespace

// The C runtime's documented examples, one line each.
TEST(CommandLineSplit, FollowsTheRuntimeRulesForQuotesAndBackslashes) {
    struct Case {
        std::u16string_view line;
        Strings expected;
    };
    const Case cases[] = {
        {u"k \"abc\" d e", {"abc", "d", "e"}},
        {u"k a\\\\b d\"e f\"g h", {"a\\\\b", "de fg", "h"}},
        {u"k a\\\\\\\"b c d", {"a\\\"b", "c", "d"}},
        {u"k a\\\\\\\\\"b c\" d e", {"a\\\\b c", "d", "e"}},
        {u"k a\"b\"\" c d", {"ab\" c d"}},
        {u"k \"\"", {""}},
        {u"k \"\" \"\"", {"", ""}},
        {u"k --version extra words", {"--version", "extra", "words"}},
        {u"k \t --diagnose\t ", {"--diagnose"}},
        {u"k trailing\\\\", {"trailing\\\\"}},
        {u"k \"unclosed quote", {"unclosed quote"}},
        {u"k", {}},
        {u"k    ", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(after_program(c.line), c.expected) << std::string(c.line.begin(), c.line.end());
    }
}

TEST(CommandLineSplit, ReadsTheProgramNameWithoutEscapes) {
    EXPECT_EQ(split_command_line(u"\"C:\\Program Files\\Kestrix\\kestrix.exe\" --help"),
              (Strings{"C:\\Program Files\\Kestrix\\kestrix.exe", "--help"}));
    // A backslash before the closing quote does not escape it in the program name.
    EXPECT_EQ(split_command_line(u"\"C:\\dir\\\" -V"), (Strings{"C:\\dir\\", "-V"}));
    EXPECT_EQ(split_command_line(u"kestrix.exe"), (Strings{"kestrix.exe"}));
    EXPECT_EQ(split_command_line(u""), (Strings{""}));
}

TEST(CommandLineSplit, KeepsNonAsciiTextAsUtf8AndStopsAtNul) {
    EXPECT_EQ(after_program(u"k \"C:\\Users\\J\u00f6rg\\\u5199\u771f\""), (Strings{"C:\\Users\\J\u00f6rg\\\u5199\u771f"}));
    EXPECT_EQ(after_program(std::u16string_view(u"k a\0b", 5)), (Strings{"a"}));
}

TEST(CommandParse, EveryRowOfTheCommandTable) {
    using Kind = Command::Kind;
    EXPECT_EQ(command_of({}).kind, Kind::Run);
    EXPECT_EQ(command_of({"--after-update"}).kind, Kind::AfterUpdate);
    EXPECT_EQ(command_of({"--at-login"}).kind, Kind::AtLogin);
    EXPECT_EQ(command_of({"--help"}).kind, Kind::Help);
    EXPECT_EQ(command_of({"-h"}).kind, Kind::Help);
    EXPECT_EQ(command_of({"/?"}).kind, Kind::Help);
    EXPECT_EQ(command_of({"--version"}).kind, Kind::Version);
    EXPECT_EQ(command_of({"-V"}).kind, Kind::Version);
    EXPECT_EQ(command_of({"--print-config"}).kind, Kind::PrintConfig);
    EXPECT_EQ(command_of({"--config-path"}).kind, Kind::ConfigPath);
    EXPECT_EQ(command_of({"--diagnose"}).kind, Kind::Diagnose);
    EXPECT_EQ(command_of({"--frobnicate"}), (Command{Kind::Unknown, "--frobnicate"}));
}

TEST(CommandParse, OnlyTheFirstArgumentCountsAndMatchingIsExact) {
    using Kind = Command::Kind;
    EXPECT_EQ(command_of({"--version", "--help"}).kind, Kind::Version);
    EXPECT_EQ(command_of({"--bogus", "--help"}), (Command{Kind::Unknown, "--bogus"}));
    EXPECT_EQ(command_of({"-H"}), (Command{Kind::Unknown, "-H"}));
    EXPECT_EQ(command_of({"--HELP"}), (Command{Kind::Unknown, "--HELP"}));
    EXPECT_EQ(command_of({"-v"}), (Command{Kind::Unknown, "-v"}));
    EXPECT_EQ(command_of({"--help "}), (Command{Kind::Unknown, "--help "}));
    EXPECT_EQ(command_of({""}), (Command{Kind::Unknown, ""}));
}

namespace {

Command capture_of(std::initializer_list<std::string> arguments) {
    std::vector<std::string> list{"--capture"};
    list.insert(list.end(), arguments);
    return parse_command(list);
}

// The line a bad capture command answers with, or "(good)".
std::string problem(std::initializer_list<std::string> arguments) {
    const Command command = capture_of(arguments);
    return command.kind == Command::Kind::BadArguments ? command.argument : "(good)";
}

}  // namespace

TEST(CaptureCommand, ModesDelaysFilesAndRectanglesInAnyOrder) {
    using Kind = Command::Kind;
    Command command = capture_of({"region"});
    EXPECT_EQ(command.kind, Kind::Capture);
    EXPECT_EQ(command.capture, (CaptureCommand{{CaptureMode::Region, 0}, std::nullopt, std::nullopt}));
    EXPECT_EQ(capture_of({"last", "--delay", "10"}).capture.request, (CaptureRequest{CaptureMode::LastRegion, 10}));
    EXPECT_EQ(capture_of({"window", "--delay", "0"}).capture.request, (CaptureRequest{CaptureMode::Window, 0}));
    EXPECT_EQ(capture_of({"window", "--delay", "60"}).capture.request.delay_seconds, 60u);

    command = capture_of({"screen", "--output", "C:\\shots\\a b.png", "--delay", "3"});
    EXPECT_EQ(command.capture, (CaptureCommand{{CaptureMode::Screen, 3}, "C:\\shots\\a b.png", std::nullopt}));
    command = capture_of({"region", "--rect", "-1280,-20,640,480", "--output", "shot.png"});
    EXPECT_EQ(command.kind, Kind::Capture);
    EXPECT_EQ(command.capture.rect, (Rect{-1280, -20, 640, 480}));
    // A value that looks like an option is still the value.
    EXPECT_EQ(capture_of({"screen", "--output", "--delay"}).capture.output, "--delay");
    // Only as the first argument: elsewhere it is an unknown option, as before.
    EXPECT_EQ(parse_command(std::vector<std::string>{"--delay", "3", "--capture", "screen"}).kind, Kind::Unknown);
}

TEST(CaptureCommand, EveryBadArgumentSaysWhatIsWrong) {
    EXPECT_EQ(problem({}), "--capture needs a mode: region, last, screen or window.");
    EXPECT_EQ(problem({"Screen"}), "`Screen` is not a capture mode: use region, last, screen or window.");
    EXPECT_EQ(problem({"--delay", "3"}), "`--delay` is not a capture mode: use region, last, screen or window.");

    EXPECT_EQ(problem({"screen", "--delay"}), "--delay needs a number of seconds.");
    for (const char* seconds : {"61", "-1", "+3", "3.5", "3s", "", " 3", "99999999999"})
        EXPECT_EQ(problem({"screen", "--delay", seconds}),
                  "--delay takes whole seconds from 0 to 60, not `" + std::string(seconds) + "`.")
            << seconds;
    EXPECT_EQ(problem({"screen", "--delay", "3", "--delay", "5"}), "--delay is given twice.");

    EXPECT_EQ(problem({"screen", "--output"}), "--output needs a file name.");
    EXPECT_EQ(problem({"screen", "--output", ""}), "--output needs a file name.");
    EXPECT_EQ(problem({"screen", "--output", "a.png", "--output", "b.png"}), "--output is given twice.");

    EXPECT_EQ(problem({"region", "--output", "a.png", "--rect"}), "--rect needs X,Y,W,H.");
    for (const char* rect : {"1,2,3", "1,2,3,4,5", "1,2,0,4", "1,2,3,-4", "a,2,3,4", "1,,3,4", "1,2,3,4,", "",
                             "1;2;3;4", "1,2,3,2147483648"})
        EXPECT_EQ(problem({"region", "--output", "a.png", "--rect", rect}),
                  "--rect takes X,Y,W,H in desktop units, with a width and height of at least 1, not `" +
                      std::string(rect) + "`.")
            << rect;
    EXPECT_EQ(problem({"region", "--rect", "0,0,9,9", "--output", "a.png", "--rect", "0,0,9,9"}),
              "--rect is given twice.");

    EXPECT_EQ(problem({"screen", "--verbose"}), "Unknown option `--verbose` after --capture.");
    EXPECT_EQ(problem({"screen", "window"}), "Unknown option `window` after --capture.");
}

TEST(CaptureCommand, OnlyTheCombinationsThatCanBeCarriedOut) {
    EXPECT_EQ(problem({"screen", "--rect", "0,0,9,9", "--output", "a.png"}), "--rect goes with --capture region only.");
    EXPECT_EQ(problem({"region", "--rect", "0,0,9,9"}), "--rect goes with --output only.");
    EXPECT_EQ(problem({"last", "--output", "a.png"}),
              "--output does not go with --capture last: only the running Kestrix knows its last region.");
    EXPECT_EQ(problem({"region", "--output", "a.png"}), "--capture region --output needs --rect X,Y,W,H.");
    EXPECT_EQ(problem({"window", "--output", "a.png"}), "(good)");
    EXPECT_EQ(problem({"last", "--delay", "5"}), "(good)");
}
