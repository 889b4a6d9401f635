#include "platform/SystemInfo.h"

#include "TestSupport.h"

#include <chrono>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <thread>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(DriveScan, ListsTheMappedFoldersThatExistInLetterOrderAndNoFiles) {
    TempDir root;
    fs::create_directories(root / "c");
    fs::create_directories(root / "d");
    writeFile(root / "f", "a file is not a drive");
    const PathMap map({{'E', root / "e-missing"}, {'F', root / "f"}, {'D', root / "d"}, {'C', root / "c"}});
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

TEST(FreeGigabytes, RoundsToTwoDecimals) {
    constexpr std::uint64_t gib = 1073741824;
    EXPECT_DOUBLE_EQ(freeGigabytes(0), 0.0);
    EXPECT_DOUBLE_EQ(freeGigabytes(5 * gib - 1), 5.0);      // 4.9999999.. rounds up: passes the 5 GB check
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 499 / 100), 4.99); // fails it
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 4996 / 1000), 5.0);
    EXPECT_DOUBLE_EQ(freeGigabytes(gib * 4994 / 1000), 4.99);
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
    for (const auto& [setting, drive] :
         {std::pair<std::optional<std::string>, const char*>{std::nullopt, "C:"}, {"D:\\Windows", "D:"}}) {
        EnvGuard env("QUILLAN_SYSTEM_DRIVE", setting);
        EXPECT_EQ(systemDriveText(), drive);
    }
}

TEST(OpenWithAssociatedProgram, PassesTheFileToTheDesktopOpenerWithoutAShellAndFailsWithoutOne) {
    TempDir root;
    {
        EnvGuard path("PATH", root.path().string());
        EXPECT_FALSE(openWithAssociatedProgram(root / "x.log"));
    }
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
    EXPECT_EQ(readFile(seen), file);
}

TEST(CreateFolderLevel, CreatesOneMissingLevelLeavesExistingOnesAndReportsWhyItCouldNot) {
    TempDir root;
    std::string error;
    EXPECT_TRUE(createFolderLevel(root / "UploadBackup", error));
    EXPECT_TRUE(fs::is_directory(root / "UploadBackup"));
    EXPECT_TRUE(error.empty());
    writeFile(root / "UploadBackup" / "keep.txt", "x");
    EXPECT_TRUE(createFolderLevel(root / "UploadBackup", error));
    EXPECT_TRUE(fs::exists(root / "UploadBackup" / "keep.txt"));
    writeFile(root / "blocker", "x");
    for (const fs::path& p : {root / "missing" / "level", root / "blocker"}) {
        EXPECT_FALSE(createFolderLevel(p, error)) << p;
        EXPECT_FALSE(error.empty()) << p;
        error.clear();
    }
}
