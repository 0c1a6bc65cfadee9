#include "kestrix/single_instance.h"

#include <gtest/gtest.h>

namespace kestrix {
namespace {

TEST(SingleInstance, AnotherCopyIsRunningWhenTheLockExistsOrMayNotBeOpened) {
    EXPECT_TRUE(is_first_copy(true, 0));
    EXPECT_FALSE(is_first_copy(true, kErrorAlreadyExists));
    // The lock of a copy started as administrator refuses a normal copy.
    EXPECT_FALSE(is_first_copy(false, kErrorAccessDenied));
    // Nothing else that goes wrong keeps the user from starting Kestrix.
    EXPECT_TRUE(is_first_copy(false, 0));
    EXPECT_TRUE(is_first_copy(false, 1450));  // ERROR_NO_SYSTEM_RESOURCES
    EXPECT_TRUE(is_first_copy(false, 6));     // ERROR_INVALID_HANDLE: the name is taken by another kind of object
}

}  // namespace
}  // namespace kestrix
