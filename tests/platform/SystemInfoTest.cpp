#include "platform/SystemInfo.h"

#include "TestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(DriveScan, ListsTheMappedFoldersThatExistInLetterOrder) {
    TempDir root;
    fs::create_directories(root / "c");
    fs::create_directories(root / "d");
    const PathMap map({{'E', root / "e-missing"}, {'D', root / "d"}, {'C', root / "c"}});
    const auto drives = scanFixedDrives(map);
    ASSERT_EQ(drives.size(), 2u);
    EXPECT_EQ(drives[0].letter, 'C');
    EXPECT_EQ(drives[1].letter, 'D');
    const auto available = fs::space(root.path()).available;
    for (const auto& drive : drives) {
        // Other writers share the disk, so allow some drift between the two readings.
        const auto drift =
            drive.freeBytes > available ? drive.freeBytes - available : available - drive.freeBytes;
        EXPECT_LT(drift, 256u * 1024 * 1024) << drive.letter;
        EXPECT_GT(drive.freeBytes, 0u);
    }
}

TEST(DriveScan, AFileIsNotADrive) {
    TempDir root;
    writeFile(root / "not-a-folder", "x");
    EXPECT_TRUE(scanFixedDrives(PathMap({{'C', root / "not-a-folder"}})).empty());
}

TEST(FreeGigabytes, RoundsToTwoDecimals) {
    constexpr std::uint64_t gib = 1073741824;
    EXPECT_DOUBLE_EQ(freeGigabytes(0), 0.0);
    EXPECT_DOUBLE_EQ(freeGigabytes(5 * gib), 5.0);
    EXPECT_DOUBLE_EQ(freeGigabytes(5 * gib - 1), 5.0);      // 4.9999999.. rounds up: passes the 5 GB check
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 499 / 100), 4.99); // fails it
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 4996 / 1000), 5.0);
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 4994 / 1000), 4.99);
    EXPECT_DOUBLE_EQ(freeGigabytes(gib + gib / 2), 1.5);
    EXPECT_DOUBLE_EQ(freeGigabytes(2048 * gib), 2048.0);
}

TEST(MachineNames, ComputerNameIsTheHostNameUpToItsFirstDot) {
    char host[256] = {};
    ASSERT_EQ(::gethostname(host, sizeof host - 1), 0);
    const std::string name = computerName();
    EXPECT_FALSE(name.empty());
    EXPECT_EQ(name.find('.'), std::string::npos);
    EXPECT_EQ(std::string(host).rfind(name, 0), 0u); // a prefix of the full host name
}

TEST(MachineNames, SystemDriveComesFromTheSettingOrDefaultsToC) {
    {
        EnvGuard env("QUILLAN_SYSTEM_DRIVE", std::nullopt);
        EXPECT_EQ(systemDriveText(), "C:");
    }
    {
        EnvGuard env("QUILLAN_SYSTEM_DRIVE", std::string("D:\\Windows"));
        EXPECT_EQ(systemDriveText(), "D:");
    }
}

TEST(OpenWithAssociatedProgram, PassesTheFileToTheDesktopOpenerWithoutAShell) {
    TempDir root;
    const fs::path opener = root / "xdg-open";
    const fs::path seen = root / "seen.txt";
    writeFile(opener, "#!/bin/sh\nprintf '%s' \"$1\" > '" + seen.string() + ".part' && mv '" + seen.string() +
                          ".part' '" + seen.string() + "'\n");
    fs::permissions(opener, fs::perms::owner_all);
    EnvGuard path("PATH", root.path().string() + ":/usr/bin:/bin");
    const std::string file =
        (root / "Deploy Errlog; rm -rf x.log").string(); // blanks and ';' stay one argument
    ASSERT_TRUE(openWithAssociatedProgram(file));
    for (int i = 0; i < 500 && !fs::exists(seen); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::ifstream in(seen);
    std::string got((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(got, file);
}

TEST(OpenWithAssociatedProgram, FailsWhenNoOpenerIsInstalled) {
    TempDir root;
    EnvGuard path("PATH", root.path().string());
    EXPECT_FALSE(openWithAssociatedProgram(root / "x.log"));
}

TEST(CreateFolderLevel, CreatesOneMissingLevelAndLeavesExistingOnes) {
    TempDir root;
    std::string error;
    EXPECT_TRUE(createFolderLevel(root / "UploadBackup", error));
    EXPECT_TRUE(fs::is_directory(root / "UploadBackup"));
    EXPECT_TRUE(error.empty());
    writeFile(root / "UploadBackup" / "keep.txt", "x");
    EXPECT_TRUE(createFolderLevel(root / "UploadBackup", error));
    EXPECT_TRUE(fs::exists(root / "UploadBackup" / "keep.txt"));
}

TEST(CreateFolderLevel, ReportsWhyItCouldNot) {
    TempDir root;
    std::string error;
    EXPECT_FALSE(createFolderLevel(root / "missing" / "level", error));
    EXPECT_FALSE(error.empty());
    writeFile(root / "blocker", "x");
    EXPECT_FALSE(createFolderLevel(root / "blocker", error));
    EXPECT_FALSE(error.empty());
}
