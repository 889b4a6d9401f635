// Statements of start-up and of reading the settings, run as the console builds them.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

std::string workTableBatch(const std::string& table, const std::string& columns) {
    return " IF NOT EXISTS (SELECT *  FROM " + P + ".dbo.sysobjects WHERE name  ='" + table +
           "' AND xtype = 'U') " + " BEGIN  " + " CREATE TABLE " + P + ".dbo." + table + " " + " ( " +
           columns + " )" + " END ";
}

class StartupStatements : public EngineTest {};

TEST_F(StartupStatements, WorkTablesAreCreatedOnceAndExistingRowsSurvive) {
    std::string deploymentMessage =
        workTableBatch("DeploymentMessage", " Captions   VARCHAR(2000), " + std::string(" DStatus    INT "));
    conn->execute(deploymentMessage);
    conn->execute(workTableBatch("TempBackupFile", " FileName       VARCHAR(100), " +
                                                       std::string(" LastModDate    DATETIME ")));
    conn->execute(workTableBatch("FileExtension", " Extension       VARCHAR(100), " +
                                                      std::string(" Type            INT, ") +
                                                      " Status          INT "));
    conn->execute(workTableBatch("DeploymentVesrion", " ProcessexeName   Nvarchar(100), " +
                                                          std::string(" VersionId        varchar(50), ") +
                                                          " HostName          varchar(100)  "));
    conn->execute("INSERT INTO " + P + ".dbo.DeploymentMessage VALUES ('Close all programs', 1)");
    // Second start-up: the batch must see the table (by name, any case) and leave the row alone.
    conn->execute(deploymentMessage);
    EXPECT_EQ(count(P + ".dbo.DeploymentMessage"), 1);
    auto rs = conn->query("SELECT name, xtype FROM " + P + ".dbo.sysobjects WHERE xtype = 'U' ORDER BY name");
    EXPECT_EQ(column(rs, "name"),
              (std::vector<std::string>{"DeploymentMessage", "DeploymentVesrion", "FileExtension",
                                        "SetupDetails", "TempBackupFile"}));
}

TEST_F(StartupStatements, OperatorNoticeReadsFunctionAndMessages) {
    conn->execute("CREATE TABLE " + P + ".dbo.FN_SetupDetails (Arg INT, Answer INT)");
    conn->execute("INSERT INTO " + P + ".dbo.FN_SetupDetails VALUES (3, 0)");
    conn->execute("INSERT INTO " + P + ".dbo.FN_SetupDetails VALUES (2, 1)");
    conn->execute("CREATE TABLE " + P + ".dbo.DeploymentMessage (Captions VARCHAR(2000), DStatus INT)");
    conn->execute("INSERT INTO " + P + ".dbo.DeploymentMessage VALUES ('  Back up first  ', 1)");
    conn->execute("INSERT INTO " + P + ".dbo.DeploymentMessage VALUES ('  Back up first  ', 1)");
    conn->execute("INSERT INTO " + P + ".dbo.DeploymentMessage VALUES ('old', 0)");

    auto f3 = conn->query("Select " + P + ".dbo.FN_SetupDetails(3) AS EXISTS1");
    ASSERT_FALSE(f3.eof());
    EXPECT_EQ(f3.field("EXISTS1").asInt(), 0);
    EXPECT_EQ(conn->query("Select " + P + ".dbo.FN_SetupDetails(2) AS EXISTS1").field("EXISTS1").asInt(), 1);
    // No answer for the argument: a NULL, not a failure.
    EXPECT_TRUE(conn->query("Select " + P + ".dbo.FN_SetupDetails(1) AS EXISTS1").field("EXISTS1").isNull());

    auto msgs = conn->query("SELECT DISTINCT Captions FROM " + P +
                            ".dbo.DeploymentMessage (NOLOCK) WHERE DStatus = 1");
    EXPECT_EQ(msgs.recordCount(), 1u);
    EXPECT_EQ(msgs.field("Captions").asText(), "  Back up first  ");
    // The function object is listed as a function, not as a user table.
    EXPECT_EQ(conn->query("SELECT xtype FROM " + P + ".dbo.sysobjects WHERE name='fn_setupdetails'")
                  .field("xtype")
                  .asText(),
              "FN");
}

TEST_F(StartupStatements, DatabaseSizeQueryCountsDataPagesInGigabytes) {
    conn->execute("CREATE TABLE " + P + ".dbo.Filler (Blob VARCHAR(8000))");
    for (int i = 0; i < 40; ++i)
        conn->execute("INSERT INTO " + P + ".dbo.Filler VALUES ('" + std::string(4000, 'x') + "')");
    std::string sql =
        "select convert (dec (15,5), ((convert (dec (15,2),sum(convert(bigint,case when status & 64 = 0 then "
        "size else 0 end)))" +
        std::string("+ convert (dec (15,2),sum(convert(bigint,case when status & 64 <> 0 then size else 0 "
                    "end))))* 8192)/1073741824 ) as DbSize") +
        " FROM " + P + ".dbo.sysfiles";
    auto rs = conn->query(sql);
    ASSERT_EQ(rs.columns(), std::vector<std::string>{"DbSize"});
    auto bytes = std::filesystem::file_size(dir / "Data" / "Tervik.sqlite");
    double expected = static_cast<double>((bytes + 8191) / 8192 * 8192) / 1073741824.0;
    EXPECT_GT(rs.field("DbSize").asDouble(), 0.0);
    EXPECT_NEAR(rs.field("DbSize").asDouble(), expected, 0.000006);
    // The data row and the log row are told apart by status & 64.
    auto files = conn->query("SELECT status, size FROM " + P + ".dbo.sysfiles ORDER BY status");
    ASSERT_EQ(files.recordCount(), 2u);
    EXPECT_EQ(files.field("status").asInt() & 64, 0);
    EXPECT_EQ(static_cast<std::uintmax_t>(files.field("size").asInt()), (bytes + 8191) / 8192);
}

TEST_F(StartupStatements, SettingsLookupIgnoresCaseAndBlankConditions) {
    conn->execute(
        "CREATE TABLE " + P +
        ".dbo.configuration (ModuleName VARCHAR(50), SeqNo INT, Description VARCHAR(100), Status INT, "
        "Condition VARCHAR(500))");
    conn->execute("INSERT INTO " + P + ".dbo.configuration VALUES ('DataTransfer', 30, 'mode', 2, NULL)");
    conn->execute("INSERT INTO " + P + ".dbo.configuration VALUES ('datatransfer', 31, 'server', 0, '   ')");
    conn->execute("INSERT INTO " + P +
                  ".dbo.configuration VALUES ('DATATRANSFER', 37, 'log', 0, ' C:\\Logs')");
    conn->execute("INSERT INTO " + P +
                  ".dbo.configuration VALUES ('DataTransfer', 15, 'FileFormatSelection HTTP', 1, '')");

    auto mode = conn->query("select Status From " + P +
                            ".dbo.configuration Where ModuleName='datatransfer' and seqno=30");
    EXPECT_EQ(mode.field("Status").asInt(), 2);
    // A blank condition counts as missing: len(ltrim('   ')) is 0.
    EXPECT_TRUE(conn->query("select Condition From " + P +
                            ".dbo.configuration Where ModuleName='datatransfer' and seqno=31 and "
                            "len(ltrim(Condition))>0 ")
                    .eof());
    auto log = conn->query(
        "select Condition From " + P +
        ".dbo.configuration  Where ModuleName='datatransfer' and seqno=37 and len(ltrim(Condition))>0 ");
    EXPECT_EQ(log.field("Condition").asText(), " C:\\Logs");
    auto fmt = conn->query(
        "select Status from " + P +
        ".dbo.configuration Where ModuleName='DataTransfer' and DesCription ='FileFormatSelection HTTP' "
        "and Seqno=15 order by seqno");
    EXPECT_EQ(fmt.field("Status").asInt(), 1);
    // NULL conditions are not present either.
    EXPECT_TRUE(conn->query("select Condition From " + P +
                            ".dbo.configuration Where ModuleName='datatransfer' and seqno=30 and "
                            "len(ltrim(Condition))>0 ")
                    .eof());
}

TEST_F(StartupStatements, DistributorAndServerDate) {
    conn->execute("CREATE TABLE " + P + ".dbo.Distributor (DistributorCode VARCHAR(20))");
    EXPECT_TRUE(conn->query("Select DistributorCode FROM " + P + ".dbo.Distributor").eof());
    conn->execute("INSERT INTO " + P + ".dbo.Distributor VALUES ('D042')");
    EXPECT_EQ(conn->query("select DistributorCode From " + P + ".dbo.Distributor")
                  .field("DistributorCode")
                  .asText(),
              "D042");
    auto d = conn->query("Select convert(varchar(20),getDate(),111) as cdt").field("cdt").asText();
    auto now = DateTime::now();
    char expected[16];
    std::snprintf(expected, sizeof expected, "%04d/%02d/%02d", now.year, now.month, now.day);
    EXPECT_EQ(d, expected);
}

} // namespace

} // namespace quillan::db::test
