// Start-up statements whose answers the sample installation's start-up does not pin down.
// (Work tables, settings, the distributor and the server date run end to end in tests/app.)
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class StartupStatements : public EngineTest {};

TEST_F(StartupStatements, OperatorNoticeFunctionAnswersNullForAMissingArgumentAndMessagesAreDistinct) {
    conn->execute("CREATE TABLE [Tervik].dbo.FN_SetupDetails (Arg INT, Answer INT)");
    conn->execute("INSERT INTO [Tervik].dbo.FN_SetupDetails VALUES (3, 0)");
    conn->execute("CREATE TABLE [Tervik].dbo.DeploymentMessage (Captions VARCHAR(2000), DStatus INT)");
    conn->execute("INSERT INTO [Tervik].dbo.DeploymentMessage VALUES ('  Back up first  ', 1)");
    conn->execute("INSERT INTO [Tervik].dbo.DeploymentMessage VALUES ('  Back up first  ', 1)");
    conn->execute("INSERT INTO [Tervik].dbo.DeploymentMessage VALUES ('old', 0)");

    EXPECT_EQ(conn->query("Select [Tervik].dbo.FN_SetupDetails(3) AS EXISTS1").field("EXISTS1").asInt(), 0);
    // No answer for the argument: a NULL, not a failure.
    EXPECT_TRUE(conn->query("Select [Tervik].dbo.FN_SetupDetails(1) AS EXISTS1").field("EXISTS1").isNull());
    EXPECT_EQ(
        column("SELECT DISTINCT Captions FROM [Tervik].dbo.DeploymentMessage (NOLOCK) WHERE DStatus = 1",
               "Captions"),
        std::vector<std::string>{"  Back up first  "});
    // The function object is listed as a function, not as a user table.
    EXPECT_EQ(column("SELECT xtype FROM [Tervik].dbo.sysobjects WHERE name='fn_setupdetails'", "xtype"),
              std::vector<std::string>{"FN"});
}

TEST_F(StartupStatements, DatabaseSizeQueryCountsDataPagesInGigabytes) {
    conn->execute("CREATE TABLE [Tervik].dbo.Filler (Blob VARCHAR(8000))");
    for (int i = 0; i < 40; ++i)
        conn->execute("INSERT INTO [Tervik].dbo.Filler VALUES ('" + std::string(4000, 'x') + "')");
    auto rs = conn->query(
        "select convert (dec (15,5), ((convert (dec (15,2),sum(convert(bigint,case when status & 64 = 0 then "
        "size else 0 end)))+ convert (dec (15,2),sum(convert(bigint,case when status & 64 <> 0 then size "
        "else 0 "
        "end))))* 8192)/1073741824 ) as DbSize FROM [Tervik].dbo.sysfiles");
    ASSERT_EQ(rs.columns(), std::vector<std::string>{"DbSize"});
    auto bytes = std::filesystem::file_size(dir / "Data" / "Tervik.sqlite");
    // Within less than one page of the catalog file's size.
    EXPECT_NEAR(rs.field("DbSize").asDouble(),
                static_cast<double>((bytes + 8191) / 8192 * 8192) / 1073741824.0, 0.000006);
}

} // namespace

} // namespace quillan::db::test
