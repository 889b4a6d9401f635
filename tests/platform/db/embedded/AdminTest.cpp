// The administration interface: batches in a catalog, backup and restore with progress, processes.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class Admin : public EngineTest {};

TEST_F(Admin, BackupThenRestoreBringsBackTheData) {
    for (int i = 0; i < 300; ++i)
        addFile("f" + std::to_string(i) + ".exe", i % 5);
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    std::vector<int> progress;
    auto file = dir / "Tervik_backup.bak";
    admin->backup("Tervik", file, [&](int p) { progress.push_back(p); });
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_FALSE(std::filesystem::exists(dir / "Tervik_backup.bak.partial"));

    conn->execute("DELETE FROM [Tervik].dbo.SetupDetails");
    conn->execute("CREATE TABLE [Tervik].dbo.AfterBackup (A INT)");
    progress.clear();
    admin->restore("Tervik", file, [&](int p) { progress.push_back(p); });
    ASSERT_FALSE(progress.empty());
    EXPECT_EQ(progress.back(), 100);
    // The open connection sees the restored content.
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 300);
    EXPECT_EQ(count("[Tervik].dbo.sysobjects WHERE name = 'AfterBackup'"), 0);
}

TEST_F(Admin, RestoreFromAMissingOrForeignFileLeavesTheCatalog) {
    addFile("a.exe", 1);
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    EXPECT_THROW(admin->restore("Tervik", dir / "none.bak", {}), DbError);
    std::ofstream(dir / "junk.bak") << std::string(5000, 'j');
    EXPECT_THROW(admin->restore("Tervik", dir / "junk.bak", {}), DbError);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 1);
    EXPECT_THROW(admin->backup("Nowhere", dir / "n.bak", {}), DbError);
}

TEST_F(Admin, BatchesRunInTheNamedCatalogAndQueriesReturnRows) {
    auto admin = openEmbeddedAdmin(dir / "Data");
    EXPECT_THROW(admin->executeBatch("Tervik", "SELECT 1"), DbError); // not connected
    admin->connect("(local)", "sa", "");
    admin->executeBatch("Tervik",
                        "\r\nCREATE TABLE HotFixLog (FixId INT)\r\nINSERT INTO HotFixLog VALUES (12)");
    auto rs = admin->query("Tervik", "Select * From HotFixLog Where FixID = " + std::string(" 12"));
    ASSERT_FALSE(rs.eof());
    EXPECT_EQ(rs.field(std::size_t{0}).asInt(), 12);
    EXPECT_EQ(count("[Tervik].dbo.HotFixLog"), 1);
    EXPECT_THROW(admin->executeBatch("Tervik", "INSERT INTO NoTable VALUES (1)"), DbError);
    EXPECT_THROW(admin->executeBatch("Missing", "SELECT 1"), DbError);
}

TEST_F(Admin, ProcessesOfACatalogCanBeEnded) {
    EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    auto user = openEmbeddedConnection(o);
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    admin->query("Tervik", "SELECT 1 AS x"); // the admin's own session is not listed
    auto procs = admin->attachedProcesses("tervik");
    ASSERT_EQ(procs.size(), 1u);
    admin->endProcess(procs[0]);
    EXPECT_TRUE(admin->attachedProcesses("Tervik").empty());
    EXPECT_THROW(user->query("SELECT 1 AS x"), DbError);
    EXPECT_THROW(admin->endProcess(procs[0]), DbError);
}

} // namespace

} // namespace quillan::db::test
