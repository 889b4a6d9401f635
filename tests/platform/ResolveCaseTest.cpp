#include "platform/PathMap.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

using quillan::resolveCase;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(ResolveCase, FindsAFileWhoseNameDiffersOnlyInCaseAndLeavesExistingPathsAndMisses) {
    TempDir root;
    writeFile(root / "Images" / "Failed.gif", "GIF89a");
    EXPECT_EQ(resolveCase(root.path() / "IMAGES" / "Failed.Gif"), root.path() / "Images" / "Failed.gif");
    EXPECT_EQ(resolveCase(root.path() / "images" / "failed.GIF"), root.path() / "Images" / "Failed.gif");
    EXPECT_EQ(resolveCase(root.path() / "Images"), root.path() / "Images");
    const fs::path missing = root.path() / "images" / "Nothing.gif";
    EXPECT_EQ(resolveCase(missing), missing);
    EXPECT_EQ(resolveCase(fs::path()), fs::path());
}

// Only a file system that tells case apart can hold these three names at once.
#ifndef _WIN32
TEST(ResolveCase, ExactMatchBeatsOtherSpellingsAndTiesGoToSortedOrder) {
    TempDir root;
    writeFile(root / "readme.TXT", "a");
    writeFile(root / "README.txt", "b");
    writeFile(root / "ReadMe.txt", "c");
    EXPECT_EQ(resolveCase(root.path() / "ReadMe.txt"), root.path() / "ReadMe.txt");
    // "README.txt" < "ReadMe.txt" < "readme.TXT" in byte order
    EXPECT_EQ(resolveCase(root.path() / "readme.txt"), root.path() / "README.txt");
}
#endif

TEST(ResolveCase, WorksOnRelativePaths) {
    TempDir root;
    fs::create_directories(root / "Deploy In");
    const fs::path old = fs::current_path();
    fs::current_path(root.path());
    const fs::path found = resolveCase("DEPLOY IN");
    fs::current_path(old);
    EXPECT_EQ(found, fs::path("Deploy In"));
}
