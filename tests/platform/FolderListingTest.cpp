#include "platform/FolderListing.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(ListPlainFiles, SkipsFoldersSortsByNameInByteOrderAndThrowsForAMissingFolder) {
    TempDir dir;
    writeFile(dir / "b.txt", "b");
    writeFile(dir / "A.txt", "a");
    writeFile(dir / "C.txt", "c");
    writeFile(dir / "sub" / "inner.txt", "i");
    const auto files = listPlainFiles(dir.path());
    std::vector<std::string> names;
    for (const auto& f : files) {
        EXPECT_EQ(f.parent_path(), dir.path());
        names.push_back(f.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "C.txt", "b.txt"})); // capitals first
    EXPECT_THROW(listPlainFiles(dir / "missing"), fs::filesystem_error);
}

// Windows marks hidden and system files by attribute (win32/Win32FileTest.cpp).
#ifndef _WIN32
TEST(ListPlainFiles, SkipsHiddenFilesFoldersAndSpecialFilesAndSortsByName) {
    TempDir dir;
    writeFile(dir / "b.txt", "b");
    writeFile(dir / "A.txt", "a");
    writeFile(dir / ".hidden", "h");
    writeFile(dir / "sub" / "inner.txt", "i");
    fs::create_directory(dir / ".git");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "b.txt", dir / "link.txt"); // a link to a file is that file
    fs::create_symlink(dir / "sub", dir / "link-to-folder");

    const auto files = listPlainFiles(dir.path());
    std::vector<std::string> names;
    for (const auto& f : files) {
        EXPECT_EQ(f.parent_path(), dir.path());
        names.push_back(f.filename().string());
    }
    EXPECT_EQ(names, (std::vector<std::string>{"A.txt", "b.txt", "link.txt"}));
    EXPECT_THROW(listPlainFiles(dir / "missing"), fs::filesystem_error);
}
#endif
