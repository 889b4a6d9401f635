// The run lock on both systems: one holder at a time, free again once the holder lets go.
#include "platform/RunLock.h"

#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <system_error>

using namespace quillan;
using namespace quillan::test;

TEST(RunLock, OneHolderAtATimeAndFreeAgainWhenItLetsGo) {
    TempDir dir;
    const auto file = dir / "Quillan.lock";
    auto first = tryLockRun(file);
    ASSERT_NE(first, nullptr);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(tryLockRun(file), nullptr) << "a second holder while the first holds it";
    first.reset();
    auto again = tryLockRun(file);
    EXPECT_NE(again, nullptr) << "the lock stayed after its holder let go";
    EXPECT_THROW(tryLockRun(dir / "no such folder" / "Quillan.lock"), std::system_error);
}
