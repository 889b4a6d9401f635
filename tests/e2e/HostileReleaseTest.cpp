// Hostile releases through whole runs: each case a release (or what a cut run left) that would
// damage the installation, and what the run does instead.
#include "scripts/TplTemplate.h"
#include "tests/e2e/OfficeRelease.h"
#include "tests/support/FakeMachine.h"
#include "tests/transfer/TransferTestSupport.h"

#include <algorithm>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

struct Hostile : test::OfficeRelease {
    using OfficeRelease::OfficeRelease;
    void setColumn(const std::string& name, const std::string& column, const std::string& value) {
        db->execute("UPDATE [Tervik].dbo.SetupDetails SET " + column + " = " + db::sqlQuote(value) +
                    " WHERE File_Names = " + db::sqlQuote(name));
    }
    std::string installed(const std::string& name) const { return test::readFile(c.programFolder() / name); }
};

// The process's current folder for a scope: a relative target folder would land there.
struct CurrentFolder {
    fs::path before = fs::current_path();
    explicit CurrentFolder(const fs::path& p) {
        fs::create_directories(p);
        fs::current_path(p);
    }
    ~CurrentFolder() { fs::current_path(before); }
};

// A rooted, a UNC and a relative File_Path each name a folder of this machine outside the
// installation: each row is refused with its reason and nothing is written there; the rest of the
// release is installed and the run says it completed with errors.
TEST(HostileRelease, ATargetFolderOutsideTheInstallationIsRefused) {
    Hostile f;
    const std::string newProgram = test::patternBytes(20 * 1024, 3);
    f.publishZip("App.zip", 1,
                 {{"Tervik.exe", newProgram}, {"Rooted.dat", "r"}, {"Unc.dat", "u"}, {"Relative.dat", "x"}});
    std::string scratch = f.dir.path().string();
    std::replace(scratch.begin(), scratch.end(), '/', '\\'); // "\tmp\q-123": no drive
    const std::map<std::string, std::string> folders = {{"Rooted.dat", scratch + "\\Rooted"},
                                                        {"Unc.dat", "\\" + scratch + "\\Unc"},
                                                        {"Relative.dat", "relfolder"}};
    for (const auto& [name, folder] : folders) {
        f.addFile(name, 1, 0, "dat");
        f.setColumn(name, "File_Path", folder);
    }
    f.startOffice();
    CurrentFolder cwd(f.dir.path() / "Cwd");
    const auto& r = f.run();

    for (const auto& [name, folder] : folders)
        EXPECT_THAT(r.log,
                    HasSubstr(">>-The folder '" + folder + "' of " + name + " is refused: it lies outside"));
    for (const char* outside : {"Rooted", "Unc", "Cwd/relfolder"})
        EXPECT_FALSE(fs::exists(f.dir.path() / outside)) << outside;
    EXPECT_EQ(r.console->state.run.outcome, RunOutcome::CompletedWithErrors);
    EXPECT_THAT(r.op.informed, Contains("Completed with Error, Check Error Log for Errors"));
    EXPECT_EQ(f.installed("Tervik.exe"), newProgram);
}

// The release names "TERVIK.EXE", the installation holds "Tervik.exe": the replacement writes into
// the installed file, and the undo of a failed run puts the old bytes back into it; no second
// program appears beside it either way.
TEST(HostileRelease, AProgramNamedInAnotherCaseReplacesTheInstalledOne) {
    for (const bool hotfixFails : {false, true}) {
        SCOPED_TRACE(hotfixFails ? "undone" : "completed");
        Hostile f(hotfixFails ? std::vector<std::string>{"INSERT INTO [Tervik].dbo.NoSuchTable VALUES (1)"}
                              : std::vector<std::string>{"CREATE TABLE [Tervik].dbo.Fixed (What INT)"});
        const std::string newProgram = test::patternBytes(20 * 1024, 3);
        f.publishZip("App.zip", 1, {{"TERVIK.EXE", newProgram}});
        f.setColumn("Tervik.exe", "File_Names", "TERVIK.EXE");
        f.startOffice();
        const auto& r = f.run();
        auto expected = f.installationBefore;
        if (!hotfixFails)
            expected["Tervik.exe"] = test::fingerprint({{"Tervik.exe", newProgram}}).at("Tervik.exe");
        EXPECT_EQ(f.installation(), expected) << r.log;
        EXPECT_EQ(r.console->state.run.outcome,
                  hotfixFails ? RunOutcome::CompletedWithErrors : RunOutcome::Completed);
    }
}

// Release8.zip holds a member named Release9.zip: unpacked, it would replace the real package,
// whose recorded size still matches, and every later run would fail on it. The package is refused
// before anything is written.
TEST(HostileRelease, AMemberNamedLikeAPackageIsNotUnpacked) {
    Hostile f;
    f.publishZip("Release9.zip", 2, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
    f.publishZip("Release8.zip", 1, {{"Release9.zip", "no archive"}});
    f.startOffice();
    const auto& r = f.run();
    EXPECT_THAT(r.log, HasSubstr(">>-The member Release9.zip of Release8.zip would overwrite the package "
                                 "Release9.zip of the release: not unpacked"));
    EXPECT_EQ(r.console->ending(), Ending::Failure);
    EXPECT_EQ(test::readFile(f.update / "Release9.zip"), f.published.at("Release9.zip"));
    EXPECT_EQ(f.installation(), f.installationBefore);
    EXPECT_THAT(f.hotfixesRecorded(), IsEmpty());
}

// A package recorded as downloaded whose bytes have changed since: it is not unpacked, its download
// is forgotten, and the next run fetches it again and completes the release.
TEST(HostileRelease, APackageChangedSinceItsDownloadIsFetchedAgain) {
    Hostile f;
    f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
    test::writeFile(f.update / "App.zip", "a download of another run, cut short");
    f.setColumn("App.zip", "DownloadFileSize", std::to_string(f.published.at("App.zip").size()));
    f.startOffice();
    const auto& r = f.run();
    EXPECT_THAT(r.log,
                HasSubstr(">>-App.zip has 36 bytes, " + std::to_string(f.published.at("App.zip").size()) +
                          " published: not unpacked; the next run fetches it again"));
    EXPECT_EQ(r.console->ending(), Ending::Failure);
    EXPECT_EQ(f.installation(), f.installationBefore);
    EXPECT_EQ(f.value("DownloadFileSize", "App.zip"), "0");
    f.expectReleaseCompleted(f.run());
}

// A template whose recorded name is the release's program: its join would delete the program's
// rows and write an archive under its name. It is refused, and the rows stay as they were.
TEST(HostileRelease, ATemplateRecordingAnotherFilesNameIsNotJoined) {
    Hostile f;
    f.publishZip("App.zip", 1, {{"Tervik.exe", test::patternBytes(20 * 1024, 3)}});
    const auto whole = f.dir.path() / "Whole.zip";
    f.makeZip(whole, {{"Other.dat", {test::patternBytes(5000, 9), "2024-03-05 14:07:09"}}});
    const auto before = test::snapshot(f.packages);
    tpl::splitPackage(whole, f.packages, "Big.tpl", "D:\\Release\\Tervik.exe", 2000);
    for (const auto& [name, bytes] : test::snapshot(f.packages))
        if (!before.count(name))
            f.addPackage(name, 2, static_cast<long long>(bytes.size()), 0,
                         name.ends_with(".tpl") ? "TPL" : "ZIP", 1);
    f.startOffice();
    const auto& r = f.run();
    EXPECT_THAT(r.log, HasSubstr("Template Big.tpl records Tervik.exe instead of Big.zip: not joined"));
    EXPECT_THAT(r.log, HasSubstr(">>-File Not Properly Restored"));
    EXPECT_EQ(f.value("FileExtension", "Tervik.exe"), "exe");
    EXPECT_EQ(f.value("RegRequired", "Tervik.exe"), "0");
    EXPECT_FALSE(fs::exists(f.update / "Tervik.exe"));
    EXPECT_EQ(f.installation(), f.installationBefore);
}

// A run cut after it replaced the program left the old program's copy in the backup folder: the
// installed file already holds the release's bytes. A run that then stops (the operator will not
// close the program) or is undone (the file backup fails on another file) keeps that copy, the only
// old program left; the next run completes the release.
TEST(HostileRelease, TheCopiesACutRunSavedSurviveAStopAndAnUndo) {
    for (const bool stopped : {true, false}) {
        SCOPED_TRACE(stopped ? "stopped" : "undone");
        Hostile f;
        f.db->execute("INSERT INTO [Tervik].dbo.FileExtension VALUES ('EXE', 1, 0)");
        const std::string newProgram = test::patternBytes(20 * 1024, 3);
        f.publishZip("App.zip", 1, {{"Tervik.exe", newProgram}, {"Helper.exe", "the new helper"}});
        f.addFile("Helper.exe", 2, 0, "exe");
        test::writeFile(f.c.programFolder() / "Tervik.exe", newProgram); // the cut run replaced it
        test::writeFile(f.c.programFolder() / "Helper.exe", "the old helper");
        const fs::path backup = f.dir.path() / "UploadBackup";
        test::writeFile(backup / "Tervik.exe", "the old program");
        if (!stopped) // the helper's copy cannot be written: the file backup fails
            fs::create_directories(backup / "Helper.exe");
        f.installationBefore = f.installation();
        f.startOffice();
        test::FakeMachine machine;
        machine.onOpenAdmin = [](const std::string& cs, const fs::path& dir) {
            return db::openAdmin(cs, dir);
        };
        if (stopped)
            machine.start("Tervik.exe", false);
        const auto& r = f.run(nullptr, &machine); // the operator says No to closing the program
        EXPECT_THAT(r.log, HasSubstr(">>-Keeping the copy a cut run saved of Tervik.exe"));
        EXPECT_EQ(test::readFile(backup / "Tervik.exe"), "the old program") << r.log;
        EXPECT_EQ(f.installation(), f.installationBefore);

        fs::remove_all(backup / "Helper.exe");
        f.installedByRelease = {"Tervik.exe", "Helper.exe"};
        f.expectReleaseCompleted(f.run());
    }
}

} // namespace
} // namespace quillan
