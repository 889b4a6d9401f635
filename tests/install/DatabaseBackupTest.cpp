// The database backup phase and the restore on the embedded engine: a real backup into a tested
// archive, the prune of older backups, hostile and blank distributor codes, a compression that
// fails, and a restore while other sessions are attached.
#include "install/DatabaseBackup.h"
#include "install/BackupArchive.h"
#include "install/RestoreDb.h"
#include "tests/install/FinishingFixture.h"
#include "tests/support/RecordingAdmin.h"
#include "tests/support/RecordingView.h"

#include <gmock/gmock.h>

#include <chrono>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;
using ::testing::HasSubstr;

struct DatabaseBackup : test::FinishingFixture {
    void SetUp() override {
        FinishingFixture::SetUp();
        c->state.isLocalServer = true;
        c->state.distributorCode = "D01";
        c->state.backupDrive = "C";
        conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (5)");
    }
    // A file of the backup folder written `hoursAgo` hours before now.
    void oldFile(const std::string& name, int hoursAgo) {
        writeFile(backup / name, "old " + name);
        fs::last_write_time(backup / name, fs::file_time_type::clock::now() - std::chrono::hours(hoursAgo));
    }
    std::vector<std::string> archives() {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(backup))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
};

TEST_F(DatabaseBackup, BackupThenRestoreGivesTheDataBackFromTheTestedArchive) {
    test::RecordingView view(c->model);
    ASSERT_TRUE(DatabaseBackupPhase(*c));
    const std::string bak = c->state.backupFileName;
    ASSERT_EQ(bak.size(), std::string("D01_07122026012000.bak").size());
    EXPECT_EQ(bak.substr(0, 4), "D01_");
    EXPECT_EQ(archives(), std::vector<std::string>{bak.substr(0, bak.size() - 4) + ".zip"})
        << "the .bak is deleted once its archive passed the test";
    EXPECT_TRUE(c->state.run.databaseBackedUp);
    EXPECT_EQ(c->state.run.completedPhase, 6);
    EXPECT_FALSE(c->programEnded());
    EXPECT_EQ(c->model.checklist(Row::DatabaseBackup).status, RowStatus::Completed);
    EXPECT_FALSE(c->model.checklist(Row::DatabaseBackup).barVisible);
    const auto percents = view.percents(Row::DatabaseBackup);
    ASSERT_FALSE(percents.empty());
    EXPECT_NE(std::find(percents.begin(), percents.end(), "100 %"), percents.end()) << "progress reaches 100";
    EXPECT_TRUE(has(log(), ">>-Started Database Backup\r\n>>-Database Backup completed\r\n"));

    conn->execute("DELETE FROM [Tervik].dbo.HotFixLog");
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (99)");
    ASSERT_TRUE(RestoreDb(*c)) << log();
    EXPECT_EQ(column("SELECT FixId FROM [Tervik].dbo.HotFixLog", "FixId"), std::vector<std::string>{"5"});
    EXPECT_FALSE(fs::exists(backup / bak)) << "the unpacked .bak goes again";
}

TEST_F(DatabaseBackup, PruneKeepsTheTwoNewestPlainFilesAndSparesFolders) {
    for (int i = 1; i <= 5; ++i)
        oldFile("D01_" + std::to_string(i) + ".zip", 10 * i); // D01_1.zip is the newest
    oldFile("D01_it's.zip", 5);                               // newest of all, quote in the name
    oldFile("Backup_old.zip", 100);
    oldFile("other.zip", 200);                         // no backup of this system
    fs::create_directories(backup / "D01_folder.zip"); // named like one, but a folder
    ASSERT_TRUE(DatabaseBackupPhase(*c)) << log();
    const std::string fresh = c->state.backupFileName.substr(0, c->state.backupFileName.size() - 4) + ".zip";
    std::vector<std::string> expected{"D01_1.zip", "D01_folder.zip", "D01_it's.zip", fresh, "other.zip"};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(archives(), expected);
    EXPECT_FALSE(has(log(), "ClearBackUpFromFolder")) << log();
}

TEST_F(DatabaseBackup, LeftoverBakAmongTheNewestIsCompressedAndTested) {
    // A real backup left by an interrupted run, the newest file of the folder.
    auto admin = db::openEmbeddedAdmin(dir / "Data");
    admin->connect("", "", "");
    admin->backup("Tervik", backup / "D01_01012024000000.bak", {});
    oldFile("D01_2.zip", 20);
    oldFile("D01_3.zip", 30);
    writeFile(backup / "D01_01012024000000.bak", readFile(backup / "D01_01012024000000.bak"));
    const auto size = fs::file_size(backup / "D01_01012024000000.bak");
    ASSERT_TRUE(ClearBackUpFromFolder(*c, c->state.backupFolder)) << log();
    EXPECT_EQ(archives(), (std::vector<std::string>{"D01_01012024000000.zip", "D01_2.zip"}));
    EXPECT_NO_THROW(testBackupArchive(backup / "D01_01012024000000.zip", "D01_01012024000000.bak", size));
}

// A run killed while it zipped its backup leaves the archive library's temporary (the archive's
// name and a random suffix, renamed when whole); the next pruning removes it, and nothing else
// named like it.
TEST_F(DatabaseBackup, AnArchiveTemporaryOfAKilledRunGoesWithTheNextPruning) {
    oldFile("D01_01012024000000.zip.a1B2c3", 1);
    oldFile("Backup_old.zip.Zx81qq", 1);
    oldFile("other.zip.k3j4h5", 1); // no backup of this system
    oldFile("D01_2.zip", 20);
    ASSERT_TRUE(ClearBackUpFromFolder(*c, c->state.backupFolder)) << log();
    EXPECT_EQ(archives(), (std::vector<std::string>{"D01_2.zip", "other.zip.k3j4h5"}));
}

// A blank code still names its own backups ("_DDMMYYYYhhmmss.zip"): they are pruned by that exact
// form, so a full backup does not pile up at every run, and no other archive is touched.
TEST_F(DatabaseBackup, ABlankDistributorCodePrunesExactlyItsOwnArchives) {
    for (const std::string code : {"", "  "}) {
        SCOPED_TRACE("'" + code + "'");
        for (const auto& e : fs::directory_iterator(backup))
            fs::remove_all(e.path());
        for (const char* other : {"a.zip", "b.zip", "c.zip"})
            oldFile(other, 5);
        oldFile(code + "_01012024100000.zip", 10);
        oldFile(code + "_02012024100000.zip", 20);
        oldFile(code + "_03012024100000.zip", 30);
        oldFile(code + "_03012024100000.zip.a1B2c3", 40); // a killed run's temporary
        oldFile(code + "_notastamp.zip", 50);             // not a name this system gives
        c->state.distributorCode = code;
        c->state.run.completedPhase = 5;
        ASSERT_TRUE(DatabaseBackupPhase(*c)) << log();
        const std::string fresh =
            c->state.backupFileName.substr(0, c->state.backupFileName.size() - 4) + ".zip";
        std::vector<std::string> expected{"a.zip",
                                          "b.zip",
                                          "c.zip",
                                          code + "_01012024100000.zip",
                                          code + "_02012024100000.zip",
                                          code + "_notastamp.zip",
                                          fresh};
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(archives(), expected);
        EXPECT_FALSE(has(log(), "names no backups"));
    }
}

TEST_F(DatabaseBackup, HostileDistributorCodesStopTheBackupAndPruneNothing) {
    for (const std::string code : {"..\\x", "a/b", "C:", "*"}) {
        SCOPED_TRACE(code);
        for (const auto& e : fs::directory_iterator(backup))
            fs::remove_all(e.path());
        oldFile("a.zip", 10);
        oldFile("b.zip", 20);
        oldFile("c.zip", 30);
        c->state.distributorCode = code;
        c->state.run.completedPhase = 5;
        EXPECT_FALSE(DatabaseBackupPhase(*c));
        EXPECT_TRUE(c->programEnded());
        EXPECT_TRUE(has(log(), "cannot be part of a backup file name in Backup DB"));
        EXPECT_EQ(archives(), (std::vector<std::string>{"a.zip", "b.zip", "c.zip"}));
    }
    EXPECT_EQ(c->model.label(Label::LblStatus), "Error while Taking backup check the log file");
}

TEST_F(DatabaseBackup, FailedCompressionKeepsTheBakAndFailsThePhase) {
    // The backup succeeds, but the archive cannot be written: a folder stands in its place.
    struct Blocking : test::RecordingAdmin {
        void backup(const std::string& d, const fs::path& file, db::PercentCallback p) override {
            RecordingAdmin::backup(d, file, std::move(p));
            fs::create_directories(backupArchiveOf(file));
        }
    };
    machine.onOpenAdmin = [](const std::string&, const fs::path&) { return std::make_unique<Blocking>(); };
    c->state.run.completedPhase = 5;
    EXPECT_FALSE(DatabaseBackupPhase(*c));
    EXPECT_TRUE(fs::is_regular_file(backup / c->state.backupFileName)) << "the only backup is kept";
    EXPECT_TRUE(has(log(), " in Backup DB\r\n"));
    EXPECT_EQ(c->model.checklist(Row::DatabaseBackup).status, RowStatus::Failed);
    EXPECT_EQ(c->state.run.completedPhase, 0);
    EXPECT_TRUE(c->programEnded());
}

TEST(BackupArchive, DamagedArchivesFailTheTestAndGiveNothingBack) {
    test::TempDir tmp;
    const fs::path bak = tmp.path() / "D01_1.bak";
    std::string content;
    for (int i = 0; i < 20000; ++i)
        content += std::to_string(i * 7919 % 10007) + ",";
    writeFile(bak, content);
    const fs::path zip = zipBackup(bak);
    EXPECT_NO_THROW(testBackupArchive(zip, "D01_1.bak", content.size()));
    EXPECT_THROW(testBackupArchive(zip, "D01_1.bak", content.size() + 1), std::exception);
    EXPECT_THROW(testBackupArchive(zip, "other.bak", content.size()), std::exception);
    // One byte of the compressed data changed: the CRC test finds it.
    std::string bytes = readFile(zip);
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x55);
    writeFile(zip, bytes);
    EXPECT_THROW(testBackupArchive(zip, "D01_1.bak", content.size()), std::exception);
    fs::remove(bak);
    EXPECT_THROW(unpackBackup(zip, tmp.path(), "D01_1.bak"), std::exception);
    EXPECT_FALSE(fs::exists(bak));
}

TEST_F(DatabaseBackup, RestoreEndsOtherSessionsSparesItsOwnAndTheConsoleConnectionComesBack) {
    ASSERT_TRUE(DatabaseBackupPhase(*c));
    // The console's connection and another program's session both in the database.
    db::EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    c->conn = db::openEmbeddedConnection(o);
    auto other = db::openEmbeddedConnection(o);
    other->execute("SELECT 1");
    recordAdmin();
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (6)");
    ASSERT_TRUE(RestoreDb(*c)) << log();
    EXPECT_THROW(other->execute("SELECT 1"), db::DbError) << "the other session was ended";
    // The engine, as the server, refuses to replace a database in use: the console's connection
    // left it for the restore and is open again.
    EXPECT_NO_THROW(c->conn->execute("SELECT 1")) << "the console's own connection is open again";
    EXPECT_EQ(column("SELECT FixId FROM [Tervik].dbo.HotFixLog", "FixId"), std::vector<std::string>{"5"});
    // The texts as the server gets them: the session query five times, one Kill.
    int queries = 0, kills = 0;
    for (const auto& call : recording.calls) {
        queries += call == "query master: SELECT RTRIM(nt_username),spid FROM master.dbo.sysprocesses WHERE "
                           "(dbid = (SELECT dbid FROM  master.dbo.sysdatabases WHERE (name = 'Tervik'))) ";
        kills += call.rfind("executeBatch master: Kill ", 0) == 0;
    }
    EXPECT_EQ(queries, 5);
    EXPECT_EQ(kills, 1);
}

TEST_F(DatabaseBackup, AConsoleConnectionThatCannotBeOpenedAgainFailsEveryLaterStatement) {
    ASSERT_TRUE(DatabaseBackupPhase(*c));
    machine.onOpenConnection = [](const std::string&, const fs::path&) -> std::unique_ptr<db::Connection> {
        throw db::DbError("the server went away");
    };
    ASSERT_TRUE(RestoreDb(*c)) << log();
    ASSERT_NE(c->conn, nullptr);
    EXPECT_THROW(c->conn->execute("SELECT 1"), db::DbError);
    EXPECT_THAT(log(), HasSubstr("The database connection could not be opened again after the restore: the "
                                 "server went away in Restore DB"));
}

TEST_F(DatabaseBackup, RestoreSparesTheServersSystemSessions) {
    // A server that lists a system session (12), this interface's own (99999) and a user's (100000).
    struct Server : test::RecordingAdmin {
        db::Recordset query(const std::string& d, const std::string& select) override {
            RecordingAdmin::query(d, select);
            if (select == "SELECT @@SPID")
                return db::Recordset({""}, {{db::Value(std::int64_t{99999})}});
            return db::Recordset({"", "spid"},
                                 {{db::Value(std::string("sa")), db::Value(std::int64_t{12})},
                                  {db::Value(std::string("me")), db::Value(std::int64_t{99999})},
                                  {db::Value(std::string("u")), db::Value(std::int64_t{100000})}});
        }
    };
    Server server;
    machine.onOpenAdmin = [&server](const std::string&, const fs::path&) {
        return std::make_unique<test::LentAdmin>(server);
    };
    c->state.backupFileName = "D01_1.bak";
    writeFile(backup / "D01_1.bak", "backup");
    ASSERT_TRUE(RestoreDb(*c)) << log();
    std::vector<std::string> kills;
    for (const auto& call : server.calls)
        if (call.rfind("executeBatch", 0) == 0)
            kills.push_back(call);
    EXPECT_EQ(kills, std::vector<std::string>(5, "executeBatch master: Kill 100000"));
    EXPECT_EQ(server.calls.back(), "disconnect");
}

} // namespace
} // namespace quillan
