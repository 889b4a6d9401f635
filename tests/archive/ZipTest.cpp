// Archiving as the database backup uses it: a new archive of bare names, exact times, and a
// failure that cannot pass for success.
#include "archive/Zip.h"
#include "TestFiles.h"
#include "archive/Unzip.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

namespace quillan {
namespace {

using namespace quillan::test;

cZip backupStyle(const std::filesystem::path& archive) {
    cZip z;
    z.ZipFile(archive);
    z.AllowAppend(false);
    z.StoreFolderNames(false);
    z.StoreDirectories(false);
    return z;
}

TEST(Zip, FreshObjectStoresBareNamesWithoutFolderEntries) {
    TempDir t;
    writeFile(t / "a/b/one.bak", "one");
    writeFile(t / "c/two.txt", "two");
    cZip z; // defaults as a fresh object has them
    z.ZipFile(t / "out.zip");
    z.AddFileSpec((t / "a/b/one.bak").string());
    z.AddFileSpec((t / "c/two.txt").string());
    EXPECT_EQ(z.FileSpecCount(), 2);
    EXPECT_EQ(z.Zip(), 0);
    EXPECT_TRUE(z.Success());
    EXPECT_EQ(memberNames(t / "out.zip"), (std::vector<std::string>{"one.bak", "two.txt"}));
}

TEST(Zip, AppendOffWritesANewArchiveAppendOnKeepsTheOldMembers) {
    TempDir t;
    writeFile(t / "first.txt", "1");
    writeFile(t / "second.txt", "2");
    cZip z = backupStyle(t / "out.zip");
    z.AddFileSpec((t / "first.txt").string());
    z.Zip();
    z.ClearFileSpecs();
    z.AddFileSpec((t / "second.txt").string());
    z.Zip();
    EXPECT_EQ(memberNames(t / "out.zip"), (std::vector<std::string>{"second.txt"}));

    z.AllowAppend(true);
    z.ClearFileSpecs();
    z.AddFileSpec((t / "first.txt").string());
    z.Zip();
    EXPECT_EQ(memberNames(t / "out.zip"), (std::vector<std::string>{"second.txt", "first.txt"}));

    // Replacing a garbage file works when append is off: the old content is not read.
    writeFile(t / "junk.zip", "not an archive");
    cZip fresh = backupStyle(t / "junk.zip");
    fresh.AddFileSpec((t / "first.txt").string());
    EXPECT_EQ(fresh.Zip(), 0);
    EXPECT_EQ(memberNames(t / "junk.zip"), (std::vector<std::string>{"first.txt"}));
}

TEST(Zip, BinaryRoundTripKeepsBytesAndExactTimesAndStoresRandomData) {
    TempDir t;
    std::string text;
    for (int i = 0; i < 20000; ++i)
        text += "INSERT INTO SetupDetails VALUES (" + std::to_string(i) + ");\r\n";
    std::string noise = randomBytes(300'000, 11);
    std::string zeros(1, '\0');
    writeFile(t / "src/db.bak", text);
    writeFile(t / "src/noise.bin", noise);
    writeFile(t / "src/zero.bin", zeros);
    writeFile(t / "src/empty.bin", "");
    setUnixSeconds(t / "src/db.bak", 1'709'647'629);
    setUnixSeconds(t / "src/noise.bin", 1'000'000'001);

    cZip z = backupStyle(t / "out.zip");
    for (const char* f : {"db.bak", "noise.bin", "zero.bin", "empty.bin"})
        z.AddFileSpec((t / "src" / f).string());
    ASSERT_EQ(z.Zip(), 0);
    // Compressible data shrinks; random data is stored rather than deflated larger.
    EXPECT_LT(std::filesystem::file_size(t / "out.zip"), text.size() / 4 + noise.size() + 2000);
    int err = 0;
    zip_t* a = zip_open((t / "out.zip").c_str(), ZIP_RDONLY, &err);
    ASSERT_NE(a, nullptr);
    zip_stat_t st;
    ASSERT_EQ(zip_stat(a, "noise.bin", 0, &st), 0);
    EXPECT_EQ(st.comp_method, ZIP_CM_STORE);
    EXPECT_EQ(st.comp_size, noise.size());
    zip_discard(a);

    cUnzip u;
    u.ZipFile(t / "out.zip");
    u.OverwriteExisting(true);
    u.UnzipFolder(t / "back");
    ASSERT_TRUE(u.Unzip());
    EXPECT_EQ(readFile(t / "back/db.bak"), text);
    EXPECT_EQ(readFile(t / "back/noise.bin"), noise);
    EXPECT_EQ(readFile(t / "back/zero.bin"), zeros);
    EXPECT_EQ(readFile(t / "back/empty.bin"), "");
    EXPECT_EQ(unixSeconds(t / "back/db.bak"), 1'709'647'629);
    EXPECT_EQ(unixSeconds(t / "back/noise.bin"), 1'000'000'001);
}

TEST(Zip, FailuresRaiseAndLeaveNoArchive) {
    TempDir t;
    cZip z = backupStyle(t / "out.zip");
    z.AddFileSpec((t / "missing.bak").string());
    EXPECT_THAT([&] { z.Zip(); }, ThrowsMessage<ArchiveError>(HasSubstr("missing.bak")));
    EXPECT_FALSE(z.Success());
    EXPECT_FALSE(std::filesystem::exists(t / "out.zip"));

    z.ClearFileSpecs();
    EXPECT_THROW(z.Zip(), ArchiveError); // nothing to do
    EXPECT_EQ(z.LastResult(), cZip::kNothingToDo);

    writeFile(t / "x/same.txt", "1");
    writeFile(t / "y/SAME.txt", "2");
    z.AddFileSpec((t / "x/same.txt").string());
    z.AddFileSpec((t / "y/SAME.txt").string());
    EXPECT_THROW(z.Zip(), ArchiveError); // one would silently replace the other
    EXPECT_FALSE(std::filesystem::exists(t / "out.zip"));

    cZip nowhere = backupStyle(t / "no/such/folder/out.zip");
    nowhere.AddFileSpec((t / "x/same.txt").string());
    EXPECT_THROW(nowhere.Zip(), ArchiveError);
    EXPECT_FALSE(nowhere.Success());
}

TEST(Zip, WildcardsBasePathFoldersAndDelete) {
    TempDir t;
    writeFile(t / "b/D1_01.bak", "1");
    writeFile(t / "b/d1_02.BAK", "2");
    writeFile(t / "b/keep.txt", "k");
    writeFile(t / "b/sub/D1_03.bak", "3");
    cZip z = backupStyle(t / "out.zip");
    z.BasePath(t / "b");
    z.AddFileSpec("*.bak");
    ASSERT_EQ(z.Zip(), 0);
    EXPECT_EQ(memberNames(t / "out.zip").size(), 2u);

    z.RecurseSubDirs(true);
    z.StoreFolderNames(true);
    z.StoreDirectories(true);
    ASSERT_EQ(z.Zip(), 0);
    auto names = memberNames(t / "out.zip");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"D1_01.bak", "d1_02.BAK", "sub/", "sub/D1_03.bak"}));

    z.ClearFileSpecs();
    z.AddFileSpec("d1_0?.bak");
    EXPECT_EQ(z.Delete(), 0);
    EXPECT_EQ(memberNames(t / "out.zip"), (std::vector<std::string>{"sub/"}));
}

TEST(Zip, InfoZipReadsOurArchivesWithExactTimes) {
    TempDir t;
    std::string data = randomBytes(50'000, 5) + std::string(100'000, 'x');
    writeFile(t / "src/pkg.dat", data);
    setUnixSeconds(t / "src/pkg.dat", 1'709'647'629); // odd second: only the extended field holds it
    cZip z = backupStyle(t / "ours.zip");
    z.AddFileSpec((t / "src/pkg.dat").string());
    ASSERT_EQ(z.Zip(), 0);
    ASSERT_EQ(run("unzip -t " + quoted(t / "ours.zip")), 0) << "unzip not installed or archive invalid";
    ASSERT_EQ(run("unzip -o -j " + quoted(t / "ours.zip") + " -d " + quoted(t / "out")), 0);
    EXPECT_EQ(readFile(t / "out/pkg.dat"), data);
    EXPECT_EQ(unixSeconds(t / "out/pkg.dat"), 1'709'647'629);
}

} // namespace
} // namespace quillan
