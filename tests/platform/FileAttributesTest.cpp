#include "platform/FileAttributes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(FileAttributes, ClearingMakesTheFileWritableAndForcedDeleteRemovesReadOnlyFiles) {
    TempDir dir;
    const fs::path file = dir / "Old.dll";
    writeFile(file, "x");
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    clearFileAttributes(file);
#ifdef _WIN32
    EXPECT_NE(fs::status(file).permissions() & fs::perms::owner_write, fs::perms::none); // not read-only
#else
    EXPECT_EQ(fs::status(file).permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                  fs::perms::group_read | fs::perms::others_read);
#endif
    EXPECT_THROW(clearFileAttributes(dir / "missing"), fs::filesystem_error);

    fs::permissions(file, fs::perms::owner_read);
    EXPECT_TRUE(forceDelete(file));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(forceDelete(file)); // nothing left to delete

    writeFile(dir / "folder" / "inside", "kept");
    EXPECT_THROW(forceDelete(dir / "folder"), fs::filesystem_error);
    EXPECT_EQ(readFile(dir / "folder" / "inside"), "kept");
}
