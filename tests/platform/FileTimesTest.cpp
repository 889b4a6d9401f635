#include "platform/FileTimes.h"

#include "TestSupport.h"

#include <chrono>
#include <gtest/gtest.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;

TEST(SystemTimeRecord, FifthOfMarchNineOhSevenOhThree) {
    const SystemTime st{2024, 3, 2, 5, 9, 7, 3, 250};
    EXPECT_EQ(SystemTimeText(st), "5/3/2024 9:07:03");
    EXPECT_EQ(SystemTimeToDate(st), (DateTime{2024, 3, 5, 9, 7, 3}));
    EXPECT_EQ(SystemTimeText(SystemTime{2024, 12, 1, 25, 23, 0, 0, 0}), "25/12/2024 23:00:00");
}

TEST(FileTimeRecord, CountsHundredNanosecondTicksFrom1601) {
    EXPECT_EQ(FileTimeToDate(0), (DateTime{1601, 1, 1, 0, 0, 0}));
    EXPECT_EQ(FileTimeToDate(133541032230000000ull), (DateTime{2024, 3, 5, 9, 7, 3}));
    EXPECT_EQ(FileTimeToDate(133541032239999999ull), (DateTime{2024, 3, 5, 9, 7, 3})); // fraction cut
}

TEST(GetFileDate, ReadsTheLastWriteTimeOfFilesAndFoldersInLocalTime) {
    const CentralEuropeZone zone;
    if (!zone.active())
        GTEST_SKIP() << "the system's zone is not Central European time";
    TempDir root;
    DateTime out{2001, 2, 3, 4, 5, 6};
    EXPECT_EQ(GetFileDate(root / "absent.exe", out), -1);
    EXPECT_EQ(out, (DateTime{2001, 2, 3, 4, 5, 6})); // a miss leaves the date alone
    const fs::path file = root / "App.exe";
    writeFile(file, "MZ");
    ASSERT_TRUE(SetFileDate(file, DateTime{2024, 7, 1, 12, 0, 0}));
    const auto written = std::chrono::file_clock::to_sys(fs::last_write_time(file));
    EXPECT_EQ(std::chrono::duration_cast<std::chrono::seconds>(written.time_since_epoch()).count(),
              1719835200 - 7200); // 12:00 summer time is 10:00 UTC
    ASSERT_EQ(GetFileDate(file, out), 0);
    EXPECT_EQ(out, (DateTime{2024, 7, 1, 12, 0, 0}));
    fs::create_directories(root / "Reports");
    ASSERT_TRUE(SetFileDate(root / "Reports", DateTime{2023, 1, 2, 3, 4, 5}));
    EXPECT_EQ(GetFileDate(root / "Reports", out), 0);
    EXPECT_EQ(out, (DateTime{2023, 1, 2, 3, 4, 5}));
}

// A is the fixed reference, B the expected file time; the file is put `offset` seconds from B.
TEST(CompareFileDate, WithinNinetyNineSecondsOfTheExpectedDistanceFromTheReference) {
    TempDir root;
    const fs::path file = root / "Tervik.exe";
    writeFile(file, "MZ");
    const std::string b = "2024-03-05 09:07:03";
    struct Case {
        const char* referenceA;
        std::int64_t offset;
        bool same;
    };
    const Case cases[] = {
        {"2024-01-01 00:00:00", 0, true},     {"2024-01-01 00:00:00", 99, true},
        {"2024-01-01 00:00:00", -99, true},   {"2024-01-01 00:00:00", 100, false},
        {"2024-01-01 00:00:00", -100, false}, {"2024-01-01 00:00:00", 86400, false},
        {"2024-06-01 00:00:00", 50, true}, // B before A: distances, not signs, are compared
        {"2024-06-01 00:00:00", 1000, false},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(std::string(k.referenceA) + " " + std::to_string(k.offset));
        ASSERT_TRUE(
            SetFileDate(file, DateTime::fromSerialSeconds(DateTime::parse(b)->serialSeconds() + k.offset)));
        std::string error = "stale";
        EXPECT_EQ(CompareFileDate(file, k.referenceA, b, error), k.same);
        EXPECT_TRUE(error.empty());
    }
    // A missing file or a folder is not the expected file.
    EXPECT_FALSE(CompareFileDate(root / "absent.exe", "2024-01-01 00:00:00", b));
    fs::create_directories(root / "folder.exe");
    EXPECT_FALSE(CompareFileDate(root / "folder.exe", "2024-01-01 00:00:00", b));
    // A reference that is not a date answers true and says why.
    std::string error;
    EXPECT_TRUE(CompareFileDate(file, "not a date", b, error));
    EXPECT_EQ(error, "13 Type mismatch: not a date: 'not a date'"); // number, blank, description
}
