// The installation phases' file operations against Windows' own rules: attributes instead of
// permission bits and leading dots, and files that another program holds open without sharing.
#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"
#include "platform/FolderListing.h"
#include "platform/SafeReplace.h"

#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

namespace {

void setAttributes(const fs::path& file, DWORD attributes) {
    ASSERT_TRUE(SetFileAttributesW(file.c_str(), attributes)) << GetLastError();
}

// Holds a file open the way a program that uses it does: no other opener may read, write or delete.
class LockedFile {
public:
    explicit LockedFile(const fs::path& file)
        : h_(CreateFileW(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {}
    ~LockedFile() {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    LockedFile(const LockedFile&) = delete;
    LockedFile& operator=(const LockedFile&) = delete;
    bool held() const { return h_ != INVALID_HANDLE_VALUE; }

private:
    HANDLE h_;
};

} // namespace

TEST(Win32ListPlainFiles, HiddenAndSystemFilesAndFoldersAreLeftOutByAttribute) {
    TempDir dir;
    writeFile(dir / "plain.txt", "p");
    writeFile(dir / "hidden.txt", "h");
    writeFile(dir / "system.dll", "s");
    writeFile(dir / "readonly.txt", "r");
    setAttributes(dir / "hidden.txt", FILE_ATTRIBUTE_HIDDEN);
    setAttributes(dir / "system.dll", FILE_ATTRIBUTE_SYSTEM);
    setAttributes(dir / "readonly.txt", FILE_ATTRIBUTE_READONLY);
    fs::create_directory(dir / "folder");
    std::vector<std::string> names;
    for (const auto& f : listPlainFiles(dir.path()))
        names.push_back(f.filename().string());
    EXPECT_EQ(names, (std::vector<std::string>{"plain.txt", "readonly.txt"}));
    setAttributes(dir / "readonly.txt", FILE_ATTRIBUTE_NORMAL);
}

TEST(Win32FileAttributes, ClearingRemovesReadOnlyHiddenAndSystemAndForcedDeleteTakesSuchAFile) {
    TempDir dir;
    const fs::path file = dir / "Old.dll";
    writeFile(file, "x");
    setAttributes(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(DeleteFileW(file.c_str())); // what the forced delete is for
    clearFileAttributes(file);
    constexpr DWORD blocking = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    EXPECT_EQ(GetFileAttributesW(file.c_str()) & blocking, 0u); // the archive mark may stay
    setAttributes(file, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(forceDelete(file));
    EXPECT_FALSE(fs::exists(file));
}

TEST(Win32ReplaceFileSafely, AFileHeldOpenWithoutSharingIsReportedAndLeftWholeWithNothingBeside) {
    TempDir dir;
    writeFile(dir / "update" / "Tervik.mdb", "the new release");
    const fs::path target = dir / "bin" / "Tervik.mdb";
    writeFile(target, "the old release");
    {
        LockedFile lock(target);
        ASSERT_TRUE(lock.held());
        EXPECT_ANY_THROW(replaceFileSafely(dir / "update" / "Tervik.mdb", target));
    }
    EXPECT_EQ(readFile(target), "the old release");
    EXPECT_EQ(fileNamesIn(dir / "bin"), std::vector<std::string>{"Tervik.mdb"}); // no temporary, no old copy
    // Once the file is free again the same replacement goes through.
    replaceFileSafely(dir / "update" / "Tervik.mdb", target);
    EXPECT_EQ(readFile(target), "the new release");
}

TEST(Win32ReplaceFileSafely, AReadOnlyHiddenTargetIsReplaced) {
    TempDir dir;
    writeFile(dir / "new.ini", "new");
    writeFile(dir / "Sd.ini", "old");
    setAttributes(dir / "Sd.ini", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    replaceFileSafely(dir / "new.ini", dir / "Sd.ini");
    EXPECT_EQ(readFile(dir / "Sd.ini"), "new");
    EXPECT_EQ(fileNamesIn(dir.path()), (std::vector<std::string>{"Sd.ini", "new.ini"}));
}

// The system's copy answers the bytes it copied and reports the end, however many of its chunks it
// reported (none under Wine): the database backup compares the count with the file's size.
TEST(Win32CopyFileInChunks, AnswersTheCopysSizeAndReportsItsEnd) {
    TempDir dir;
    const std::string bytes(3u << 20, 'q');
    writeFile(dir / "from.bin", bytes);
    std::uint64_t lastDone = 0, lastTotal = 0;
    const auto copied =
        copyFileInChunks(dir / "from.bin", dir / "to.bin", [&](std::uint64_t done, std::uint64_t total) {
            lastDone = done;
            lastTotal = total;
        });
    EXPECT_EQ(copied, bytes.size());
    EXPECT_EQ(lastDone, bytes.size());
    EXPECT_EQ(lastTotal, bytes.size());
    EXPECT_EQ(readFile(dir / "to.bin"), bytes);
}
