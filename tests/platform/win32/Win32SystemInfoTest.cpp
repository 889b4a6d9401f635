// The machine as Windows reports it: the fixed drives with their free space, the computer name and
// the system drive (docs/platform.md, "System drive and computer name").
#include "platform/SystemInfo.h"

#include "platform/Text.h"
#include "tests/platform/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <windows.h>

using namespace quillan;
namespace fs = std::filesystem;

TEST(Win32DriveScan, ListsTheFixedDrivesInLetterOrderWithTheirFreeSpace) {
    const auto drives = scanFixedDrives(PathMap());
    ASSERT_FALSE(drives.empty());
    bool sawC = false;
    for (std::size_t i = 0; i < drives.size(); ++i) {
        const auto& drive = drives[i];
        SCOPED_TRACE(drive.letter);
        if (i > 0) {
            EXPECT_LT(drives[i - 1].letter, drive.letter);
        }
        const std::string root{drive.letter, ':', '\\'};
        EXPECT_EQ(GetDriveTypeA(root.c_str()), static_cast<UINT>(DRIVE_FIXED));
        const auto available = fs::space(root).available;
        const auto drift =
            drive.freeBytes > available ? drive.freeBytes - available : available - drive.freeBytes;
        EXPECT_LT(drift, 256u * 1024 * 1024); // other writers share the disk
        sawC = sawC || drive.letter == 'C';
    }
    EXPECT_TRUE(sawC); // the system drive is fixed
}

TEST(Win32MachineNames, TheComputerNameIsTheSystemsAndTheSystemDriveHoldsTheSystemFolder) {
    const std::string name = computerName();
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(name.find('\0'), std::string::npos);
    if (const char* variable = std::getenv("COMPUTERNAME")) {
        EXPECT_EQ(lowerCase(name), lowerCase(variable));
    }

    const std::string drive = systemDriveText();
    ASSERT_EQ(drive.size(), 2u);
    EXPECT_EQ(drive[1], ':');
    const char* root = std::getenv("SystemRoot");
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(lowerCase(std::string(root, 2)), lowerCase(drive));
}
