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
