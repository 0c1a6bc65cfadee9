#include "kestrix/file_io.h"

#include <gtest/gtest.h>

#include <fstream>

#include "temp_dir.h"

using namespace kestrix;
namespace fs = std::filesystem;

namespace {

void put(const fs::path& path, std::string_view text) {
    std::ofstream(path, std::ios::binary) << text;
}

std::string numbered(uint32_t attempt) { return attempt == 0 ? "shot.png" : "shot (" + std::to_string(attempt + 1) + ").png"; }

std::vector<std::string> names_in(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST(WriteNewFile, MakesTheFolderAndNeverReplacesAFile) {
    test::TempDir dir;
    const fs::path folder = dir.path() / "Pictures" / "Kestrix";
    auto first = write_new_file(folder, numbered, "one");
    ASSERT_TRUE(first) << first.error();
    EXPECT_EQ(*first, folder / "shot.png");
    auto second = write_new_file(folder, numbered, "two");
    ASSERT_TRUE(second) << second.error();
    EXPECT_EQ(*second, folder / "shot (2).png");
    EXPECT_EQ(read_file(*first), "one");
    EXPECT_EQ(read_file(*second), "two");
    // names differing only in case are one name on Windows
    put(folder / "SHOT (3).PNG", "mine");
    auto third = write_new_file(folder, numbered, "three");
    ASSERT_TRUE(third);
    EXPECT_EQ(*third, folder / "shot (4).png");
    EXPECT_EQ(read_file(folder / "SHOT (3).PNG"), "mine");
    // nothing is left beside them
    EXPECT_EQ(names_in(folder), (std::vector<std::string>{"SHOT (3).PNG", "shot (2).png", "shot (4).png", "shot.png"}));
}

TEST(WriteNewFile, ANameTakenMeanwhileIsPassedOver) {
    test::TempDir dir;
    // another program creates the first name after the folder was looked at
    const auto racing = [&](uint32_t attempt) {
        if (attempt == 0 && !fs::exists(dir.path() / "shot.png")) put(dir.path() / "shot.png", "theirs");
        return numbered(attempt);
    };
    auto written = write_new_file(dir.path(), racing, "ours");
    ASSERT_TRUE(written) << written.error();
    EXPECT_EQ(*written, dir.path() / "shot (2).png");
    EXPECT_EQ(read_file(dir.path() / "shot.png"), "theirs");
    EXPECT_EQ(read_file(*written), "ours");
    EXPECT_EQ(names_in(dir.path()).size(), 2u);
}

TEST(WriteNewFile, AFolderThatCannotBeMadeIsAnError) {
    test::TempDir dir;
    put(dir.path() / "file", "x");
    auto written = write_new_file(dir.path() / "file" / "captures", numbered, "bytes");
    ASSERT_FALSE(written);
    EXPECT_FALSE(written.error().empty());
    // every name taken
    auto full = write_new_file(dir.path(), [](uint32_t) { return std::string("file"); }, "bytes");
    ASSERT_FALSE(full);
    EXPECT_EQ(read_file(dir.path() / "file"), "x");
    EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{"file"});
}
