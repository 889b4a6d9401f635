// The hotfix runner's batch path through real ODBC: the SQLite ODBC driver stands in for the
// server, so the batches, the HotFixLog lookups and their texts cross the driver manager exactly
// as the phase sends them to SQL Server.
#include "install/Hotfixes.h"
#include "platform/db/odbc/OdbcConnection.h"
#include "tests/support/FakeMachine.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingAdmin.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

namespace quillan {
namespace {

namespace fs = std::filesystem;

// An administration interface whose batches and queries go to one ODBC connection.
class OdbcBatches : public db::DbAdmin {
public:
    explicit OdbcBatches(const fs::path& file) : conn_("Driver=SQLite3;Database=" + file.string(), 5) {}
    void connect(const std::string&, const std::string&, const std::string&) override {}
    void disconnect() override {}
    void setTimeLimit(std::chrono::milliseconds limit) override { conn_.setTimeLimit(limit); }
    void executeBatch(const std::string&, const std::string& batch) override { conn_.execute(batch); }
    db::Recordset query(const std::string&, const std::string& select) override {
        return conn_.query(select);
    }
    void backup(const std::string&, const fs::path&, db::PercentCallback) override { unsupported(); }
    void restore(const std::string&, const fs::path&, db::PercentCallback) override { unsupported(); }
    std::vector<int> attachedProcesses(const std::string&) override { return {}; }
    void endProcess(int) override { unsupported(); }
    db::odbc::OdbcConnection& conn() { return conn_; }

private:
    [[noreturn]] static void unsupported() { throw db::DbError("not offered by this driver"); }
    db::odbc::OdbcConnection conn_;
};

struct HotfixThroughOdbc : ::testing::Test {
    test::TempDir dir;
    test::FakeMachine machine;
    test::RecordingOperator op;
    Console c{dir.path() / "Tervik", op, machine};
    HotfixThroughOdbc() {
        c.state.dbName = "Tervik";
        c.log.open(dir.path() / "DeployErrlog.log");
    }
};

TEST_F(HotfixThroughOdbc, BatchesReachTheDriverUnchangedAndRunThere) {
    OdbcBatches odbc(dir.path() / "tervik.db");
    odbc.conn().execute("CREATE TABLE HotFixLog (FixId INT)");
    test::RecordingAdmin recording;
    recording.forward = &odbc;
    machine.onOpenAdmin = [&recording](const std::string&, const fs::path&) {
        return std::make_unique<test::LentAdmin>(recording);
    };
    const std::string batches[] = {
        "--[TERVIK HOTFIX VERSION]=12\r\nCREATE TABLE Fix12 (Name VARCHAR(20))\r\n",
        "INSERT INTO Fix12 VALUES ('it''s'),\r\n('GO')\r\n", // the driver takes one statement a batch
        "INSERT INTO HotFixLog VALUES (12)\r\n",
    };
    test::writeFile(dir.path() / "12 fix.sql", batches[0] + "GO\r\n" + batches[1] + "go\r\n" + batches[2]);
    const std::string path = c.paths.toWindows(dir.path() / "12 fix.sql");

    ASSERT_TRUE(RunningHotfix(c, path)) << c.log.readAll();
    std::vector<std::string> sent;
    for (const auto& call : recording.calls)
        if (call.rfind("executeBatch Tervik: ", 0) == 0)
            sent.push_back(call.substr(std::string("executeBatch Tervik: ").size()));
    EXPECT_EQ(sent, std::vector<std::string>(std::begin(batches), std::end(batches)));
    EXPECT_EQ(recording.calls.at(1), "query Tervik: Select * From HotFixLog Where FixID =  12");
    auto rs = odbc.conn().query("SELECT Name FROM Fix12 ORDER BY Name");
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("Name").asText(), "GO");

    // Applied: the second run finds it in HotFixLog and sends nothing.
    recording.calls.clear();
    ASSERT_TRUE(RunningHotfix(c, path));
    for (const auto& call : recording.calls)
        EXPECT_EQ(call.rfind("executeBatch", 0), std::string::npos) << call;
    EXPECT_NE(c.log.readAll().find(" already updated in the Database"), std::string::npos);
}

TEST_F(HotfixThroughOdbc, TheDriversErrorNamesTheFailingBatch) {
    OdbcBatches(dir.path() / "tervik.db").conn().execute("CREATE TABLE HotFixLog (FixId INT)");
    machine.onOpenAdmin = [file = dir.path() / "tervik.db"](const std::string&, const fs::path&) {
        return std::make_unique<OdbcBatches>(file);
    };
    test::writeFile(dir.path() / "3.sql", "--[TERVIK HOTFIX VERSION]=3\r\nSELECT 1\r\nGO\r\nSELEKT 2\r\n");
    EXPECT_FALSE(RunningHotfix(c, c.paths.toWindows(dir.path() / "3.sql")));
    const std::string log = c.log.readAll();
    EXPECT_NE(log.find("3.sql: batch 2 of 2 failed: "), std::string::npos) << log;
    EXPECT_NE(log.find("syntax error"), std::string::npos) << "the driver's own message: " << log;
}

} // namespace
} // namespace quillan
