// The unpacking phase on the embedded engine with real archives in a scratch update folder.
#include "install/Unpacking.h"
#include "tests/support/ReleaseFolders.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace quillan {
namespace {

namespace fs = std::filesystem;

// A package row recording the bytes of the update folder's file (1 when there is none).
void addZip(test::ReleaseFolders& f, const std::string& name, int version) {
    const long long size = fs::exists(f.update / name) ? f.sizeOf(f.update / name) : 1;
    f.addPackage(name, version, size, size);
}

struct UnpackingTest : ::testing::Test, test::ReleaseFolders {
    std::string dateOf(const fs::path& p) {
        DateTime d;
        return GetFileDate(p, d) == 0 ? d.iso() : "<unreadable>";
    }
};

TEST_F(UnpackingTest, PackagesLandFlatNewerMembersWinAndPlainFilesAreDated) {
    makeZip(update / "Old.zip",
            {{"Tervik.exe", {"old", "2024-01-01 08:00:00"}}, {"Only.txt", {"1", "2024-01-01 08:00:00"}}});
    makeZip(update / "O'Brien.zip",
            {{"Tervik.exe", {"new", "2024-03-05 14:07:09"}}, {"O'Neil.rpt", {"r", "2024-03-05 14:07:09"}}});
    addZip(*this, "O'Brien.zip", 2);
    addZip(*this, "Old.zip", 1);
    addFile("Tervik.exe", 2, 0, "exe");
    addFile("O'Neil.rpt", 2, 0, "rpt");
    addFile("Absent.dll", 2, 0, "dll"); // listed, not in the folder: skipped silently
    test::writeFile(update / ".hidden", "h");
    ::chmod((update / ".hidden").c_str(), 0400);

    ASSERT_TRUE(Unpacking(c));
    EXPECT_EQ(test::readFile(update / "Tervik.exe"), "new");
    EXPECT_TRUE(fs::exists(update / "Only.txt"));
    EXPECT_EQ(value("File_UnZipDate", "Tervik.exe"), "2024-03-05 14:07:09");
    EXPECT_EQ(value("File_UnZipDate", "O'Neil.rpt"), "2024-03-05 14:07:09");
    EXPECT_EQ(value("File_UnZipDate", "Absent.dll"), "<null>");
    EXPECT_EQ(fs::status(update / ".hidden").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(c.state.run.completedPhase, 5);
    EXPECT_EQ(c.model.checklist(Row::Unpacking).status, RowStatus::Completed);
    EXPECT_EQ(c.model.overallValue(), 50);
    EXPECT_FALSE(c.programEnded());
}

TEST_F(UnpackingTest, NoPackageRowTouchesNothingAndCompletes) {
    addFile("Tervik.exe", 2, 0, "exe");
    test::writeFile(update / "Tervik.exe", "x");
    ASSERT_TRUE(Unpacking(c));
    EXPECT_EQ(value("File_UnZipDate", "Tervik.exe"), "<null>");
    EXPECT_TRUE(c.model.grid().empty());
    EXPECT_EQ(c.state.run.completedPhase, 5);
}

// A missing package and a damaged one end alike: the run closed once, the program ended, what came
// before unpacked and what comes after not.
TEST_F(UnpackingTest, MissingOrDamagedPackageClosesTheRunOnceAndEndsTheProgram) {
    for (bool truncated : {false, true}) {
        SCOPED_TRACE(truncated);
        test::ReleaseFolders f;
        f.makeZip(f.update / "A.zip", {{"a.txt", {"a", "2024-01-01 08:00:00"}}});
        f.makeZip(f.update / "C.zip", {{"c.txt", {"c", "2024-01-01 08:00:00"}}});
        if (truncated) {
            f.makeZip(f.update / "B.zip", {{"b.txt", {std::string(5000, 'b'), "2024-01-01 08:00:00"}}});
            fs::resize_file(f.update / "B.zip", f.sizeOf(f.update / "B.zip") / 2);
        }
        addZip(f, "A.zip", 1);
        addZip(f, "B.zip", 2);
        addZip(f, "C.zip", 3);
        EXPECT_FALSE(Unpacking(f.c));
        EXPECT_TRUE(fs::exists(f.update / "a.txt"));
        EXPECT_FALSE(fs::exists(f.update / "c.txt"));
        EXPECT_EQ(f.closings(), 1);
        EXPECT_EQ(f.op.informed.back(), "Error by unzipping file check the log file");
        EXPECT_EQ(f.c.ending(), Ending::Failure);
        EXPECT_EQ(f.c.state.run.completedPhase, 0);
        EXPECT_TRUE(
            f.logged(truncated ? ">>-Unable to Unzip B.zip" : ">>-B.zip Not Available in the local folder "));
    }
}

// After a join the rebuilt archives are unpacked together with the packages that were not split;
// the pieces are not archives.
TEST_F(UnpackingTest, JoinedReleaseUnpacksRebuiltAndPlainPackages) {
    makeZip(update / "Big.zip", {{"big.txt", {"big", "2024-01-01 08:00:00"}}});
    makeZip(update / "Plain.zip", {{"plain.txt", {"plain", "2024-01-01 08:00:00"}}});
    test::writeFile(update / "Big.zip.001", "piece, not an archive");
    addPackage("Big.tpl", 1, 1, 1, "TPL", 1);
    addPackage("Big.zip.001", 1, 1, 1, "ZIP", 1);
    addZip(*this, "Plain.zip", 1);
    addPackage("Big.zip", 1, 0, 0, "ZIP", 0, 2);
    c.state.run.splitPackagesJoined = true;
    ASSERT_TRUE(Unpacking(c));
    EXPECT_TRUE(fs::exists(update / "big.txt"));
    EXPECT_TRUE(fs::exists(update / "plain.txt"));
}

// Passes every statement to the engine and keeps its text; the update of `failingFile`'s date
// fails as a lost connection would.
class DatingRecorder : public db::Connection {
public:
    explicit DatingRecorder(db::Connection& engine) : engine_(engine) {}
    db::Recordset query(const std::string& sql) override { return engine_.query(sql); }
    void execute(const std::string& sql) override {
        statements.push_back(sql);
        if (!failingFile.empty() && sql.find("File_UnZipDate") != std::string::npos &&
            sql.find(failingFile) != std::string::npos)
            throw db::DbError("connection lost");
        engine_.execute(sql);
    }
    std::string backendName() const override { return engine_.backendName(); }
    std::vector<std::string> statements;
    std::string failingFile;

private:
    db::Connection& engine_;
};

// The dates of a release's files go in one transaction (one journal sync for 2,000 files, not
// 2,000: each sync on a busy disk took tens of milliseconds); a failing date still leaves the ones
// before it recorded and no transaction open.
TEST_F(UnpackingTest, FilesAreDatedInOneTransactionCommittedAlsoAfterAFailure) {
    for (const std::string failing : {"", "B.dll"}) {
        SCOPED_TRACE(failing);
        std::unique_ptr<db::Connection> engine = std::move(c.conn);
        auto recorder = std::make_unique<DatingRecorder>(*engine);
        DatingRecorder& r = *recorder;
        r.failingFile = failing;
        c.conn = std::move(recorder);
        db->execute(std::string("DELETE FROM ") + kPrefix + ".dbo.SetupDetails");
        for (const char* name : {"A.dll", "B.dll", "C.dll"}) {
            addFile(name, 2, 0, "dll");
            test::writeFile(update / name, name);
            SetFileDate(update / name, *DateTime::parse("2024-03-05 14:07:09"));
        }
        makeZip(update / "P.zip", {{"Only.txt", {"1", "2024-01-01 08:00:00"}}});
        addZip(*this, "P.zip", 2);

        EXPECT_EQ(Unpacking(c), failing.empty());
        std::vector<std::string> dating;
        for (const auto& s : r.statements)
            if (s == "BEGIN TRAN" || s == "COMMIT TRAN" || s.find("File_UnZipDate") != std::string::npos)
                dating.push_back(s.find("File_UnZipDate") != std::string::npos ? "date" : s);
        const std::vector<std::string> whole{"BEGIN TRAN", "date", "date", "date", "COMMIT TRAN"};
        const std::vector<std::string> cut{"BEGIN TRAN", "date", "date", "COMMIT TRAN"};
        EXPECT_EQ(dating, failing.empty() ? whole : cut);
        EXPECT_EQ(value("File_UnZipDate", "A.dll"), "2024-03-05 14:07:09");
        EXPECT_EQ(value("File_UnZipDate", "C.dll"), failing.empty() ? "2024-03-05 14:07:09" : "<null>");
        EXPECT_NO_THROW(db->execute("BEGIN TRAN")); // nothing left open
        db->execute("COMMIT TRAN");
        c.conn = std::move(engine);
        if (!failing.empty()) {
            EXPECT_TRUE(logged("B.dll Unable to update the modified Date"));
        }
    }
}

// A time that cannot be read is not written as the zero date, which every later run would take
// for a change.
TEST_F(UnpackingTest, UnreadableTimeIsLoggedAndNotWritten) {
    addFile("Gone.exe", 1, 0, "exe");
    EXPECT_TRUE(UpdateUnZipTime(c, c.state.updateFolder, "Gone.exe"));
    EXPECT_EQ(value("File_UnZipDate", "Gone.exe"), "<null>");
    EXPECT_TRUE(logged("The modified date of Gone.exe cannot be read"));
}

TEST_F(UnpackingTest, ResetClearsReadOnlyFilesButNotHiddenOnes) {
    test::writeFile(update / "ro.dll", "x");
    ::chmod((update / "ro.dll").c_str(), 0400);
    test::writeFile(update / ".hidden", "h");
    ::chmod((update / ".hidden").c_str(), 0400);
    ResetFileAttributes(c, c.state.updateFolder);
    EXPECT_NE(fs::status(update / "ro.dll").permissions() & fs::perms::owner_write, fs::perms::none);
    EXPECT_EQ(fs::status(update / ".hidden").permissions() & fs::perms::owner_write, fs::perms::none);
}

} // namespace
} // namespace quillan
