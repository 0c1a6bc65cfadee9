#include "kestrix/install_location.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

constexpr std::string_view kInstalled = R"(C:\Users\Ana\AppData\Local\Programs\Kestrix\kestrix.exe)";

TEST(InstalledCopy, TheFolderTheEntryNamesWhateverItsSpelling) {
    EXPECT_TRUE(is_installed_copy(R"(C:\Users\Ana\AppData\Local\Programs\Kestrix)", kInstalled));
    EXPECT_TRUE(is_installed_copy(R"(c:\users\ana\appdata\local\programs\kestrix\)", kInstalled));
    EXPECT_TRUE(is_installed_copy(R"(C:/Users/Ana/AppData/Local/Programs/Kestrix//)", kInstalled));
    EXPECT_TRUE(is_installed_copy(R"(D:\)", R"(D:\kestrix.exe)"));
}

TEST(InstalledCopy, AnotherCopyOrNoLocationIsNot) {
    EXPECT_FALSE(is_installed_copy(R"(C:\Users\Ana\AppData\Local\Programs\Kestrix)", R"(E:\Tools\Kestrix\kestrix.exe)"));
    // A folder whose name merely starts like the installed one, and one inside it.
    EXPECT_FALSE(is_installed_copy(R"(C:\Tools\Kestrix)", R"(C:\Tools\Kestrix2\kestrix.exe)"));
    EXPECT_FALSE(is_installed_copy(R"(C:\Tools\Kestrix)", R"(C:\Tools\Kestrix\old\kestrix.exe)"));
    EXPECT_FALSE(is_installed_copy(R"(C:\Tools\Kestrix\old)", R"(C:\Tools\Kestrix\kestrix.exe)"));
    EXPECT_FALSE(is_installed_copy("", kInstalled));
    EXPECT_FALSE(is_installed_copy(R"(\)", kInstalled));
    EXPECT_FALSE(is_installed_copy(R"(C:\Tools)", "kestrix.exe"));
}

}  // namespace
}  // namespace kestrix
