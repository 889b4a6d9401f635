// The administration interface: batches in a catalog, backup and restore with progress, processes.
#include "EngineFixture.h"

#include <chrono>
#include <functional>

namespace quillan::db::test {

namespace {

using quillan::test::readFile;

class Admin : public EngineTest {
protected:
    std::unique_ptr<DbAdmin> admin;
    void SetUp() override {
        EngineTest::SetUp();
        admin = openEmbeddedAdmin(dir / "Data");
        admin->connect("(local)", "sa", "");
    }
};

// A catalog larger than one copy step (8 MiB): progress rises step by step to 100, the file is a
// byte-for-byte copy of the catalog, the backup name never holds a partial copy, and a restore
// brings the data back under the open connection.
TEST_F(Admin, LargeCatalogIsBackedUpInStepsAndRestored) {
    conn->execute("CREATE TABLE [Tervik].dbo.Filler (B VARCHAR(9000))");
    conn->execute("BEGIN TRAN");
    for (int i = 0; i < 2500; ++i)
        conn->execute("INSERT INTO [Tervik].dbo.Filler VALUES ('" + std::string(8000, 'x') +
                      std::to_string(i) + "')");
    conn->execute("COMMIT");
    const auto catalog = dir / "Data" / "Tervik.sqlite";
    ASSERT_GT(std::filesystem::file_size(catalog), 16u << 20);
    const auto file = dir / "Tervik_full.bak";
    std::ofstream(file) << "an older, unrelated file under the backup name";

    std::vector<int> progress;
    admin->backup("Tervik", file, [&](int p) { progress.push_back(p); });
    // Wine's CopyFileExW reports no chunk: there the copy reports its end only.
    ASSERT_GE(progress.size(), quillan::test::underWine() ? 1u : 3u) << "one report per step";
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(std::adjacent_find(progress.begin(), progress.end()), progress.end()) << "no repeats";
    if (!quillan::test::underWine()) {
        EXPECT_LT(progress.front(), 100);
    }
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(readFile(file), readFile(catalog));
    EXPECT_FALSE(std::filesystem::exists(dir / "Tervik_full.bak.partial"));

    conn->execute("DELETE FROM [Tervik].dbo.Filler");
    conn->execute("CREATE TABLE [Tervik].dbo.AfterBackup (A INT)");
    progress.clear();
    admin->restore("Tervik", file, [&](int p) { progress.push_back(p); });
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_EQ(count("[Tervik].dbo.Filler"), 2500);
    EXPECT_EQ(count("[Tervik].dbo.sysobjects WHERE name = 'AfterBackup'"), 0);
}

TEST_F(Admin, FailedBackupOrRestoreLeavesTheCatalogAndNoFile) {
    addFile("a.exe", 1);
    EXPECT_THROW(admin->restore("Tervik", dir / "none.bak", {}), DbError);
    std::ofstream(dir / "junk.bak") << std::string(5000, 'j');
    EXPECT_THROW(admin->restore("Tervik", dir / "junk.bak", {}), DbError);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 1);
    EXPECT_THROW(admin->backup("Nowhere", dir / "n.bak", {}), DbError);
    std::vector<int> progress;
    EXPECT_THROW(admin->backup("Tervik", dir / "absent" / "t.bak", [&](int p) { progress.push_back(p); }),
                 DbError);
    EXPECT_TRUE(progress.empty()); // nothing was copied, so nothing is reported
    EXPECT_FALSE(std::filesystem::exists(dir / "absent"));
}

TEST_F(Admin, BatchesRunInTheNamedCatalogAndQueriesReturnRows) {
    EXPECT_THROW(openEmbeddedAdmin(dir / "Data")->executeBatch("Tervik", "SELECT 1"),
                 DbError); // not connected
    admin->executeBatch("Tervik",
                        "\r\nCREATE TABLE Applied (FixId INT)\r\nINSERT INTO HotFixLog VALUES (12)");
    auto rs = admin->query("Tervik", "Select * From HotFixLog Where FixID = " + std::string(" 12"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(std::size_t{0}).asInt(), 12);
    EXPECT_EQ(count("[Tervik].dbo.HotFixLog"), 1);
    EXPECT_EQ(count("[Tervik].dbo.Applied"), 0);
    EXPECT_THROW(admin->executeBatch("Tervik", "INSERT INTO NoTable VALUES (1)"), DbError);
    EXPECT_THROW(admin->executeBatch("Missing", "SELECT 1"), DbError);
}

// A runaway join (a billion rows) is interrupted at the limit, on the connection and on the
// administration interface, both of which go on working; without a limit nothing is cut.
TEST_F(Admin, ARunawayStatementStopsAtItsTimeLimitAndTheSessionGoesOn) {
    conn->execute("CREATE TABLE [Tervik].dbo.Ten (n INT)");
    for (int i = 0; i < 10; ++i)
        conn->execute("INSERT INTO [Tervik].dbo.Ten VALUES (" + std::to_string(i) + ")");
    std::string runaway = "SELECT COUNT(*) AS n FROM [Tervik].dbo.Ten a0";
    for (int i = 1; i < 9; ++i)
        runaway += ", [Tervik].dbo.Ten a" + std::to_string(i);
    const auto limit = std::chrono::milliseconds(300);
    admin->setTimeLimit(limit);
    conn->setTimeLimit(limit);
    for (const auto& run : {std::function<void()>([&] { admin->executeBatch("Tervik", runaway); }),
                            std::function<void()>([&] { conn->query(runaway); })}) {
        const auto started = std::chrono::steady_clock::now();
        EXPECT_THAT(run, ThrowsMessage<TimeoutError>(HasSubstr("time limit of 300 milliseconds")));
        EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    }
    EXPECT_EQ(admin->query("Tervik", "SELECT COUNT(*) AS n FROM Ten a, Ten b").field("n").asInt(), 100);
    EXPECT_EQ(conn->query("SELECT COUNT(*) AS n FROM [Tervik].dbo.Ten").field("n").asInt(), 10);
}

TEST_F(Admin, ProcessesOfACatalogCanBeEnded) {
    EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    auto user = openEmbeddedConnection(o);
    admin->query("Tervik", "SELECT 1 AS x"); // the admin's own session is not listed
    auto procs = admin->attachedProcesses("tervik");
    ASSERT_EQ(procs.size(), 1u);
    admin->endProcess(procs[0]);
    EXPECT_TRUE(admin->attachedProcesses("Tervik").empty());
    EXPECT_THROW(user->query("SELECT 1 AS x"), DbError);
    EXPECT_THROW(admin->endProcess(procs[0]), DbError);
}

TEST_F(Admin, AtAtSpidIsTheSessionsOwnNumberAsSysprocessesListsIt) {
    EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    auto user = openEmbeddedConnection(o);
    const auto mine = user->query("SELECT @@SPID").field(std::size_t{0}).asInt();
    EXPECT_NE(admin->query("master", "SELECT @@SPID").field(std::size_t{0}).asInt(), mine);
    auto listed = user->query("SELECT spid FROM master.dbo.sysprocesses WHERE spid = @@SPID AND dbid = "
                              "(SELECT dbid FROM master.dbo.sysdatabases WHERE name = 'Tervik')");
    ASSERT_FALSE(listed.eof());
    EXPECT_EQ(listed.field("spid").asInt(), mine);
    EXPECT_THROW(user->execute("KILL " + std::to_string(mine)), DbError) << "its own session";
}

} // namespace

} // namespace quillan::db::test
