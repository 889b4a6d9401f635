#include "platform/FileTimes.h"

#include "TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

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

TEST(GetFileDate, MissingFileAnswersMinusOneAndLeavesTheDateAlone) {
    TempDir root;
    DateTime out{2001, 2, 3, 4, 5, 6};
    EXPECT_EQ(GetFileDate(root / "absent.exe", out), -1);
    EXPECT_EQ(out, (DateTime{2001, 2, 3, 4, 5, 6}));
}

TEST(GetFileDate, ReadsTheLastWriteTimeInLocalTime) {
    EnvGuard tz("TZ", std::string(centralEurope));
    TempDir root;
    const fs::path file = root / "App.exe";
    writeFile(file, "MZ");
    ASSERT_TRUE(SetFileDate(file, DateTime{2024, 7, 1, 12, 0, 0}));
    struct stat st {};
    ASSERT_EQ(::stat(file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime, 1719835200 - 7200); // 12:00 summer time is 10:00 UTC
    DateTime out;
    ASSERT_EQ(GetFileDate(file, out), 0);
    EXPECT_EQ(out, (DateTime{2024, 7, 1, 12, 0, 0}));
}

TEST(GetFileDate, FoldersHaveTimesToo) {
    TempDir root;
    fs::create_directories(root / "Reports");
    ASSERT_TRUE(SetFileDate(root / "Reports", DateTime{2023, 1, 2, 3, 4, 5}));
    DateTime out;
    EXPECT_EQ(GetFileDate(root / "Reports", out), 0);
    EXPECT_EQ(out, (DateTime{2023, 1, 2, 3, 4, 5}));
}

class CompareFileDateTest : public ::testing::Test {
protected:
    // A is the fixed reference, B the expected file time; the file is put `offset` seconds from B.
    bool compareAt(std::int64_t offset) {
        const DateTime b = *DateTime::parse(expectedB);
        EXPECT_TRUE(SetFileDate(file, DateTime::fromSerialSeconds(b.serialSeconds() + offset)));
        return CompareFileDate(file, referenceA, expectedB);
    }
    void SetUp() override { writeFile(file, "MZ"); }

    TempDir root;
    fs::path file = root / "Tervik.exe";
    std::string referenceA = "2024-01-01 00:00:00";
    std::string expectedB = "2024-03-05 09:07:03";
};

TEST_F(CompareFileDateTest, WithinNinetyNineSecondsCountsAsTheExpectedTime) {
    EXPECT_TRUE(compareAt(0));
    EXPECT_TRUE(compareAt(99));
    EXPECT_TRUE(compareAt(-99));
}

TEST_F(CompareFileDateTest, AHundredSecondsOrMoreDiffers) {
    EXPECT_FALSE(compareAt(100));
    EXPECT_FALSE(compareAt(-100));
    EXPECT_FALSE(compareAt(86400));
}

TEST_F(CompareFileDateTest, MissingFileOrFolderIsNotTheExpectedFile) {
    EXPECT_FALSE(CompareFileDate(root / "absent.exe", referenceA, expectedB));
    fs::create_directories(root / "folder.exe");
    EXPECT_FALSE(CompareFileDate(root / "folder.exe", referenceA, expectedB));
}

TEST_F(CompareFileDateTest, AReferenceThatIsNotADateAnswersTrueAndSaysWhy) {
    std::string error;
    EXPECT_TRUE(CompareFileDate(file, "not a date", expectedB, error));
    EXPECT_NE(error.find("not a date"), std::string::npos);
    EXPECT_TRUE(compareAt(0));
    EXPECT_TRUE(CompareFileDate(file, referenceA, expectedB, error));
    EXPECT_TRUE(error.empty());
}

TEST_F(CompareFileDateTest, MeasuresDistancesFromTheReferenceNotTheSign) {
    // B before A: the file must lie as far before A as B does.
    referenceA = "2024-06-01 00:00:00";
    EXPECT_TRUE(compareAt(50));
    EXPECT_FALSE(compareAt(1000));
}
