#include "kestrix/local_time.h"

#include <gtest/gtest.h>

using namespace kestrix;

TEST(LocalTime, DefaultFileNamePadsEveryFieldAndAvoidsColons) {
    EXPECT_EQ(default_file_name({2026, 3, 2, 9, 5, 3}), "Kestrix 2026-03-02 09-05-03.png");
    EXPECT_EQ(default_file_name({987, 12, 31, 23, 59, 59}), "Kestrix 0987-12-31 23-59-59.png");
}
