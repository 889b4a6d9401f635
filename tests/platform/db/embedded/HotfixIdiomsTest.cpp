// Hotfix scripts written to run twice ask the catalog before they change it; the engine answers
// those questions as SQL Server does, so a second run of such a script changes nothing.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class HotfixIdioms : public EngineTest {
protected:
    std::unique_ptr<DbAdmin> admin;
    void SetUp() override {
        EngineTest::SetUp();
        admin = openEmbeddedAdmin(dir / "Data");
        admin->connect("(local)", "sa", "");
    }
    Value one(const std::string& expr) {
        return admin->query("Tervik", "SELECT " + expr + " AS v").field("v");
    }
    // Every column of every table, and the row count of the tables the script fills.
    std::vector<std::string> state() {
        std::vector<std::string> out;
        for (auto rs = admin->query("Tervik", "SELECT TABLE_NAME + '.' + COLUMN_NAME + ' ' + DATA_TYPE AS c "
                                              "FROM INFORMATION_SCHEMA.COLUMNS ORDER BY TABLE_NAME, "
                                              "ORDINAL_POSITION");
             !rs.eof(); rs.moveNext())
            out.push_back(rs.field("c").asText());
        for (const char* t : {"DeployNotes", "DeployArchive", "HotFixLog"})
            out.push_back(t + std::string(" rows ") +
                          std::to_string(count("[Tervik].dbo." + std::string(t))));
        return out;
    }
};

TEST_F(HotfixIdioms, AScriptGuardedByCatalogQuestionsChangesNothingTheSecondTime) {
    const char* batches[] = {
        "IF OBJECT_ID('dbo.DeployNotes', 'U') IS NULL\r\n"
        "    CREATE TABLE dbo.DeployNotes (Id INT IDENTITY(1,1) PRIMARY KEY, Note VARCHAR(50))",
        "IF NOT EXISTS (SELECT * FROM sysobjects WHERE name = 'deployarchive' AND xtype = 'U')\r\n"
        "BEGIN\r\n"
        "    CREATE TABLE DeployArchive (Note VARCHAR(50))\r\n"
        "    INSERT INTO DeployArchive VALUES ('created')\r\n"
        "END",
        "IF COL_LENGTH('[dbo].[DeployNotes]', 'Author') IS NULL\r\n"
        "    ALTER TABLE dbo.DeployNotes ADD Author NVARCHAR(40) NULL",
        "IF NOT EXISTS (SELECT 1 FROM INFORMATION_SCHEMA.COLUMNS WHERE TABLE_SCHEMA = 'dbo' AND "
        "TABLE_NAME = 'DeployArchive' AND COLUMN_NAME = 'moved')\r\n"
        "    ALTER TABLE DeployArchive ADD Moved DATETIME",
        "IF EXISTS (SELECT 1 FROM sys.objects WHERE object_id = OBJECT_ID(N'DeployNotes') AND type = 'U')\r\n"
        "   AND EXISTS (SELECT 1 FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = 'DEPLOYNOTES')\r\n"
        "   AND NOT EXISTS (SELECT 1 FROM DeployNotes WHERE Note = 'hotfix 31')\r\n"
        "    INSERT INTO DeployNotes (Note) VALUES ('hotfix 31')",
        "IF NOT EXISTS (SELECT * FROM HotFixLog WHERE FixId = 31)\r\n"
        "    INSERT INTO HotFixLog (FixId) VALUES (31)",
    };
    for (const char* b : batches)
        admin->executeBatch("Tervik", b);
    const auto first = state();
    for (const char* expected :
         {"DeployNotes.Author nvarchar", "DeployArchive.Moved datetime", "DeployNotes.Id int",
          "DeployNotes rows 1", "DeployArchive rows 1", "HotFixLog rows 1"})
        EXPECT_NE(std::find(first.begin(), first.end(), expected), first.end()) << expected;
    for (const char* b : batches)
        admin->executeBatch("Tervik", b);
    EXPECT_EQ(state(), first);
}

TEST_F(HotfixIdioms, ObjectIdAndColLengthAnswerNullForWhatIsNotThere) {
    const Value id = one("OBJECT_ID('[dbo].[hotfixlog]')");
    ASSERT_FALSE(id.isNull());
    EXPECT_EQ(admin->query("Tervik", "SELECT object_id FROM sys.objects WHERE name = 'HotFixLog'")
                  .field("object_id")
                  .asInt(),
              id.asInt());
    EXPECT_EQ(one("OBJECT_ID('HotFixLog', 'U')").asInt(), id.asInt());
    EXPECT_EQ(conn->query("SELECT OBJECT_ID('Tervik.dbo.HotFixLog') AS v").field("v").asInt(), id.asInt());
    for (const char* missing : {"OBJECT_ID('HotFixLog', 'V')", "OBJECT_ID('Missing')",
                                "OBJECT_ID('sales.HotFixLog')", "OBJECT_ID('a.b.c.HotFixLog')",
                                "COL_LENGTH('HotFixLog', 'Missing')", "COL_LENGTH('Missing', 'FixId')"})
        EXPECT_TRUE(one(missing).isNull()) << missing;
    const std::pair<const char*, long long> lengths[] = {
        {"COL_LENGTH('SetupDetails', 'file_names')", 200},
        {"COL_LENGTH('DeploymentVesrion', 'ProcessexeName')", 200}, // nvarchar: two bytes a character
        {"COL_LENGTH('dbo.HotFixLog', 'FixId')", 4},
        {"COL_LENGTH('SetupDetails', 'UploadFileSize')", 8},
    };
    for (const auto& [expr, bytes] : lengths)
        EXPECT_EQ(one(expr).asInt(), bytes) << expr;
    auto tempId = [&] { return conn->query("SELECT OBJECT_ID('tempdb..#Work') AS v").field("v"); };
    conn->execute("CREATE TABLE #Work (A INT)");
    EXPECT_FALSE(tempId().isNull());
    conn->execute("IF OBJECT_ID('tempdb..#Work') IS NOT NULL DROP TABLE #Work");
    EXPECT_TRUE(tempId().isNull());
    EXPECT_NE(failure("SELECT OBJECT_ID(File_Names) FROM [Tervik].dbo.SetupDetails").find("OBJECT_ID"),
              std::string::npos);
}

} // namespace

} // namespace quillan::db::test
