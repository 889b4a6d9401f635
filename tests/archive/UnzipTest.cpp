// Extraction as the unpacking phase uses it: flat, overwriting, exact times, safe names, and a
// raised failure for archives that cannot be read.
#include "archive/Unzip.h"
#include "TestFiles.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace quillan {
namespace {

using namespace quillan::test;

void unzipFlat(const std::filesystem::path& archive, const std::filesystem::path& folder) {
    cUnzip u;
    u.ZipFile(archive);
    u.OverwriteExisting(true);
    u.UnzipFolder(folder);
    u.UseFolderNames(false);
    ASSERT_TRUE(u.Unzip());
}

TEST(Unzip, NestedMembersLandFlatAndTheLaterOneWins) {
    TempDir t;
    writeRawArchive(t / "pkg.zip", {{"Bin/Tervik.exe", "exe"},
                                    {"Reports/Sales/Sales.rpt", "first"},
                                    {"Bin/", ""},
                                    {"Other/Sales.rpt", "second"}});
    writeFile(t / "out/Tervik.exe", "old version");
    unzipFlat(t / "pkg.zip", t / "out");
    EXPECT_EQ(listing(t / "out"), (std::vector<std::string>{"Sales.rpt", "Tervik.exe"}));
    EXPECT_EQ(readFile(t / "out/Tervik.exe"), "exe");
    EXPECT_EQ(readFile(t / "out/Sales.rpt"), "second");
}

TEST(Unzip, HostileNamesStayInsideTheTarget) {
    TempDir t;
    writeRawArchive(t / "evil.zip", {{"../x1", "1"},
                                     {"/tmp/x2", "2"},
                                     {"C:\\x3", "3"},
                                     {"..\\x4", "4"},
                                     {"a/../../x5", "5"},
                                     {"a/..", "dots"}});
    std::filesystem::create_directories(t / "deep/out");
    cUnzip u;
    u.ZipFile(t / "evil.zip");
    u.OverwriteExisting(true);
    u.UnzipFolder(t / "deep/out");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(listing(t / "deep"),
              (std::vector<std::string>{"out", "out/x1", "out/x2", "out/x3", "out/x4", "out/x5"}));
    EXPECT_EQ(u.SkippedMembers(), (std::vector<std::string>{"a/.."}));

    // Keeping folder names: climbing members are skipped, rooted ones are re-rooted inside.
    u.UseFolderNames(true);
    u.UnzipFolder(t / "deep/tree");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(listing(t / "deep/tree"), (std::vector<std::string>{"tmp", "tmp/x2", "x3"}));
    EXPECT_EQ(u.SkippedMembers(), (std::vector<std::string>{"../x1", "..\\x4", "a/../../x5", "a/.."}));
}

TEST(Unzip, KeepsTheDosTimeTheExactSecondOfAnExtendedTimestampAndIgnoresADamagedNtfsTime) {
    TempDir t;
    // DOS times have two-second resolution; an even second survives exactly.
    writeRawArchive(t / "dos.zip", {{"a.txt", "a", 1'709'647'628}});
    unzipFlat(t / "dos.zip", t / "out");
    EXPECT_EQ(unixSeconds(t / "out/a.txt"), 1'709'647'628);
    writeFile(t / "src/odd.txt", "odd");
    setUnixSeconds(t / "src/odd.txt", 1'709'647'629); // odd second: a DOS time cannot hold it
    ASSERT_EQ(run("cd " + quoted(t / "src") + " && zip -q ../info.zip odd.txt"), 0) << "zip not installed?";
    unzipFlat(t / "info.zip", t / "out");
    EXPECT_EQ(unixSeconds(t / "out/odd.txt"), 1'709'647'629);
    EXPECT_EQ(readFile(t / "out/odd.txt"), "odd");
    // A damaged NTFS time falls back to the DOS time.
    std::string allOnes =
        std::string("\0\0\0\0\x01\0\x18\0", 8) + std::string(8, '\xff') + std::string(16, '\0');
    writeRawArchive(t / "n.zip", {{"n.txt", "n", 1'709'647'628, {{0x000a, allOnes}}}});
    unzipFlat(t / "n.zip", t / "out");
    EXPECT_EQ(unixSeconds(t / "out/n.txt"), 1'709'647'628);
}

TEST(Unzip, ExistingFilesAreKeptWithoutOverwrite) {
    TempDir t;
    writeRawArchive(t / "p.zip", {{"a.txt", "new"}, {"b.txt", "b"}});
    writeFile(t / "out/a.txt", "mine");
    cUnzip u;
    u.ZipFile(t / "p.zip");
    u.UnzipFolder(t / "out");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(readFile(t / "out/a.txt"), "mine");
    EXPECT_EQ(readFile(t / "out/b.txt"), "b");
}

TEST(Unzip, UnreadableArchivesRaiseAClearFailureAndNoArchiveTouchesNothing) {
    TempDir t;
    cUnzip u;
    u.UnzipFolder(t / "out");
    EXPECT_FALSE(u.Unzip()); // no archive named
    EXPECT_FALSE(std::filesystem::exists(t / "out"));
    writeFile(t / "junk.zip", "this is not an archive at all, just text");
    const std::pair<const char*, const char*> cases[] = {{"junk.zip", "Not a zip archive"},
                                                         {"missing.zip", "No such file"}};
    for (const auto& [archive, why] : cases) {
        u.ZipFile(t / archive);
        EXPECT_THAT([&] { u.Unzip(); },
                    ThrowsMessage<ArchiveError>(AllOf(HasSubstr(archive), HasSubstr(why))));
    }
}

TEST(Unzip, DamagedMemberFailsWithoutLeavingAFileUnderItsName) {
    TempDir t;
    std::string payload = randomBytes(200'000, 7);
    writeRawArchive(t / "p.zip", {{"good.txt", "fine"}, {"big.bin", payload}});
    // Flip bytes in the middle of the second member's data: the CRC check must catch it.
    std::string bytes = readFile(t / "p.zip");
    auto at = bytes.find(payload.substr(100'000, 64));
    ASSERT_NE(at, std::string::npos);
    bytes[at] = static_cast<char>(bytes[at] ^ 0x5a);
    writeFile(t / "p.zip", bytes);

    cUnzip u;
    u.ZipFile(t / "p.zip");
    u.OverwriteExisting(true);
    u.UnzipFolder(t / "out");
    EXPECT_THROW(u.Unzip(), ArchiveError);
    EXPECT_EQ(listing(t / "out"), (std::vector<std::string>{"good.txt"})); // no temporary left either
}

TEST(Unzip, DirectorySelectionLimitsTheExtraction) {
    TempDir t;
    writeRawArchive(t / "p.zip", {{"x/a.txt", "a"}, {"y/", ""}, {"b.txt", "bb"}});
    cUnzip u;
    u.ZipFile(t / "p.zip");
    u.Directory();
    ASSERT_EQ(u.FileCount(), 2);
    EXPECT_EQ(u.Filename(1), "a.txt");
    EXPECT_EQ(u.FileDirectory(1), "x");
    EXPECT_EQ(u.FileSize(2), 2u);
    EXPECT_THROW(u.Filename(3), std::out_of_range);
    u.FileSelected(1, false);
    u.OverwriteExisting(true);
    u.UnzipFolder(t / "out");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(listing(t / "out"), (std::vector<std::string>{"b.txt"}));
    u.ZipFile(t / "p.zip"); // assigning the archive forgets the list: everything again
    EXPECT_EQ(u.FileCount(), 0);
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(listing(t / "out"), (std::vector<std::string>{"a.txt", "b.txt"}));
}

} // namespace
} // namespace quillan
