#include "TestInstall.h"
#include "console/CreateFolder.h"
#include "console/DriveScan.h"

#include <stdexcept>

using namespace quillan;
using namespace quillan::test;

namespace {
DriveScanner fixed(std::vector<FixedDrive> drives) {
    return [drives](const PathMap&) { return drives; };
}
} // namespace

TEST(DriveScan, InstallDriveIsTheOneHoldingTheProgramFolderOthersStayEmptyNoneAnswersZero) {
    FakeInstall inst;
    auto c = inst.console(); // appPath "C:\Tervik"
    const int k = FindInsDiskSize(*c, fixed({{'A', 1 * kGB}, {'C', 7 * kGB}, {'D', 9 * kGB}}));
    EXPECT_EQ(k, 1);
    ASSERT_EQ(c->state.driveList.size(), 3u);
    EXPECT_EQ(c->state.driveList[1].letter, "C");
    EXPECT_DOUBLE_EQ(c->state.driveList[1].freeGB, 7.0);
    EXPECT_EQ(c->state.driveList[0].letter, "");
    EXPECT_EQ(c->state.driveList[2].letter, "");

    EXPECT_EQ(FindInsDiskSize(*c, fixed({{'D', 9 * kGB}, {'E', 9 * kGB}})), 0);
    EXPECT_EQ(c->state.driveList[0].letter, "");
    EXPECT_EQ(FindInsDiskSize(*c, fixed({})), 0);
}

TEST(DriveScan, BackupDriveIsTheFirstOfEqualMaximaFreeSpaceRoundedToTwoDecimals) {
    FakeInstall inst;
    auto c = inst.console();
    const int k = FindDiskSize(*c, fixed({{'C', 3 * kGB}, {'D', 8 * kGB}, {'E', 8 * kGB}, {'F', 2 * kGB}}));
    EXPECT_EQ(k, 1);
    EXPECT_EQ(c->state.driveList[2].letter, "E"); // every entry is filled
    EXPECT_EQ(FindDiskSize(*c, fixed({{'C', 0}, {'D', 0}})), 0);
    FindDiskSize(*c, fixed({{'C', 5 * kGB - 10 * 1024 * 1024}})); // 4.990234... GB
    EXPECT_DOUBLE_EQ(c->state.driveList[0].freeGB, 4.99);
}

TEST(DriveScan, AFailedScanIsReportedAndAnswersWhatItHas) {
    FakeInstall inst;
    auto c = inst.console();
    const DriveScanner broken = [](const PathMap&) -> std::vector<FixedDrive> {
        throw std::runtime_error("device not ready");
    };
    EXPECT_EQ(FindInsDiskSize(*c, broken), 0);
    EXPECT_EQ(FindDiskSize(*c, broken), 0);
    ASSERT_EQ(inst.op.informed.size(), 2u);
    EXPECT_EQ(inst.op.informed[0], "device not ready In FindInsDiskSize");
    EXPECT_EQ(inst.op.informed[1], "device not ready In FindDiskSize");
}

// Every missing level is made, existing ones (found without regard to case) are left, and a
// failure is reported with the levels before it kept.
TEST(CreateFolder, CreatesMissingLevelsKeepsExistingOnesAndReportsAFailure) {
    FakeInstall inst;
    auto c = inst.console();
    writeFile(inst.drive / "Tervik" / "keep.txt", "x");
    EXPECT_TRUE(CreateFolder(*c, "C:\\TERVIK\\Logs\\Deploy"));
    EXPECT_TRUE(fs::is_directory(inst.drive / "Tervik" / "Logs" / "Deploy"));
    EXPECT_FALSE(fs::exists(inst.drive / "TERVIK"));
    EXPECT_EQ(readFile(inst.drive / "Tervik" / "keep.txt"), "x");
    EXPECT_TRUE(CreateFolder(*c, "C:\\Tervik\\Logs\\Deploy\\")); // a trailing separator adds no level
    EXPECT_TRUE(inst.op.informed.empty());

    writeFile(inst.drive / "A" / "blocked", "a file where a folder should be");
    EXPECT_FALSE(CreateFolder(*c, "C:\\A\\blocked\\deeper"));
    ASSERT_EQ(inst.op.informed.size(), 1u);
    EXPECT_TRUE(inst.op.informed[0].ends_with(" In CreateFolder"));
    EXPECT_TRUE(fs::is_directory(inst.drive / "A"));
}
