#include "platform/FolderListing.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

// Windows marks hidden and system files by attribute instead (win32/Win32FileTest.cpp).
TEST(ListPlainFiles, SkipsHiddenFilesFoldersAndSpecialFilesAndSortsByName) {
    TempDir dir;
    writeFile(dir / "b.txt", "b");
    writeFile(dir / "A.txt", "a");
    writeFile(dir / "sub" / "inner.txt", "i");
#ifdef _WIN32
    const std::vector<std::string> expected{"A.txt", "b.txt"};
#else
    writeFile(dir / ".hidden", "h");
    fs::create_directory(dir / ".git");
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    fs::create_symlink(dir / "b.txt", dir / "link.txt"); // a link to a file is that file
    fs::create_symlink(dir / "sub", dir / "link-to-folder");
    const std::vector<std::string> expected{"A.txt", "b.txt", "link.txt"};
#endif

    const auto files = listPlainFiles(dir.path());
    std::vector<std::string> names;
    for (const auto& f : files) {
        EXPECT_EQ(f.parent_path(), dir.path());
        names.push_back(f.filename().string());
    }
    EXPECT_EQ(names, expected); // byte order: capitals first
    EXPECT_THROW(listPlainFiles(dir / "missing"), fs::filesystem_error);
}
