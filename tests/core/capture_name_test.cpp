#include "kestrix/capture_name.h"

#include <gtest/gtest.h>

#include "kestrix/utf8.h"

using namespace kestrix;

namespace {

const LocalTime kEvening{2026, 12, 9, 20, 15, 30};

std::string name(std::string_view pattern, uint32_t attempt = 0, size_t max_units = 255) {
    return capture_file_name(pattern, kEvening, attempt, ".png", max_units);
}

size_t units(std::string_view utf8) { return utf16_from_utf8(utf8).size(); }

}  // namespace

TEST(CaptureName, TokensFillInTheDateTheTimeAndACounter) {
    EXPECT_EQ(name(kDefaultFileNamePattern), "Kestrix 2026-12-09 201530.png");
    EXPECT_EQ(capture_file_name("{date}", LocalTime{987, 1, 2, 3, 4, 5}, 0, ".png"), "0987-01-02.png");
    EXPECT_EQ(name("{TIME} shot"), "201530 shot.png");  // any case
    EXPECT_EQ(name("Shot {counter}"), "Shot 1.png");
    // braces that are no token stay as they are
    EXPECT_EQ(name("{1} {} {date"), "{1} {} {date.png");
}

TEST(CaptureName, ANameTakenGivesTheNextOne) {
    EXPECT_EQ(name(kDefaultFileNamePattern, 1), "Kestrix 2026-12-09 201530 (2).png");
    EXPECT_EQ(name(kDefaultFileNamePattern, 2), "Kestrix 2026-12-09 201530 (3).png");
    // with a counter, the counter alone makes the name new
    EXPECT_EQ(name("Shot {counter}", 2), "Shot 3.png");
    EXPECT_EQ(name("{counter}-{counter}", 9), "10-10.png");
}

TEST(CaptureName, WhatWindowsForbidsInNamesIsReplaced) {
    EXPECT_EQ(name("a<b>c:d\"e/f\\g|h?i*j"), "a_b_c_d_e_f_g_h_i_j.png");
    EXPECT_EQ(name("tab\there"), "tab_here.png");
    // Windows drops spaces and dots at the end, so they go here already
    EXPECT_EQ(name("  shot . . "), "shot.png");
    EXPECT_EQ(name(" ... "), "Kestrix.png");
    EXPECT_EQ(name("...hidden"), "...hidden.png");
    // device names open the device, not a file
    EXPECT_EQ(name("con"), "_con.png");
    EXPECT_EQ(name("NUL.x"), "_NUL.x.png");
    EXPECT_EQ(name("COM\u00B9"), "_COM\u00B9.png");
    EXPECT_EQ(name("con", 1), "con (2).png");
    EXPECT_EQ(name("CONSOLE"), "CONSOLE.png");
}

TEST(CaptureName, LongNamesAreCutToFit) {
    const std::string long_pattern(300, 'x');
    EXPECT_EQ(units(name(long_pattern)), 255u);
    EXPECT_EQ(units(name(long_pattern, 41)), 255u);
    EXPECT_TRUE(name(long_pattern, 41).ends_with("x (42).png"));
    // four bytes and two UTF-16 units a character: a cut never splits one
    std::string emoji;
    for (int i = 0; i < 200; ++i) emoji += "\U0001F600";
    const std::string cut = name(emoji, 0, 30);
    EXPECT_EQ(units(cut), 30u);
    EXPECT_TRUE(is_valid_utf8(cut));
    EXPECT_EQ(name(emoji, 0, 31), cut);  // 31 would split the 14th
    // the cut does not leave a space before the extension
    EXPECT_EQ(name("abc    def", 0, 9), "abc.png");
    EXPECT_EQ(name("a", 0, 2), "a.png");  // no room at all: still a name

    EXPECT_EQ(file_name_budget(3), 255u);
    EXPECT_EQ(file_name_budget(200), 58u);  // 200 + separator + 58 = 259
    EXPECT_EQ(file_name_budget(250), 16u);
}

TEST(CaptureName, PatternProblems) {
    EXPECT_FALSE(file_name_pattern_problem(kDefaultFileNamePattern));
    EXPECT_FALSE(file_name_pattern_problem("{Counter} {} {1}"));
    EXPECT_EQ(file_name_pattern_problem("Shot {day}"), "`{day}` is not one of {date}, {time}, {counter}");
    EXPECT_TRUE(file_name_pattern_problem(""));
    EXPECT_TRUE(file_name_pattern_problem("   "));
}

TEST(CaptureName, TheExtensionChoosesTheFormat) {
    EXPECT_EQ(picture_format_for("a.jpg"), PictureFormat::Jpeg);
    EXPECT_EQ(picture_format_for("a.JPEG"), PictureFormat::Jpeg);
    EXPECT_EQ(picture_format_for("a.jfif"), PictureFormat::Jpeg);
    EXPECT_EQ(picture_format_for("a.jpg.png"), PictureFormat::Png);
    EXPECT_EQ(picture_format_for("jpg"), PictureFormat::Png);
    EXPECT_EQ(picture_format_for("a.bmp"), PictureFormat::Png);
}
