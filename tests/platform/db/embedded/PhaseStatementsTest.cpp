// Statements of the run's phases as the phases send them. (The status panel's counts run on the
// engine in tests/status.)
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class PhaseStatements : public EngineTest {};

TEST_F(PhaseStatements, DownloadPhaseSelectsIncompletePackagesAndRewritesDrives) {
    addFile("App1.zip", 2, 0, 0, 500, 100);
    addFile("App2.TPL", 1, 0, 0, 500, 500);
    addFile("Old.zip", 1, 0, 0, 10, 10);
    addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL", 1, 0, "C:\\Windows\\System32");
    const std::string pending =
        "Select * from [Tervik].dbo.SetupDetails (nolock) where HotfixNo =0 and RegRequired=0 and "
        "(FileExtension "
        "like 'ZIP' or FileExtension like 'TPL') and  (uploadfilesize-downloadfilesize)>0 ";
    EXPECT_EQ(column(pending + "order by VersionNo", "File_Names"), std::vector<std::string>{"App1.zip"});
    conn->execute("Update [Tervik].dbo.SetupDetails set DownloadFileSize=500 Where File_Names='app1.ZIP'");
    EXPECT_TRUE(conn->query(pending).eof());

    conn->execute(
        "Update [Tervik].dbo.SetupDetails SET File_Path='D:'+SUBSTRING(File_Path,CHARINDEX(':',"
        "File_Path)+1,LEN(File_Path)) where HotfixNo =0 and RegRequired=1 and File_Path Like 'C:\\%'");
    EXPECT_EQ(column("SELECT File_Path FROM [Tervik].dbo.Setupdetails (NOLOCK) WHERE [File_Names] like "
                     "'craxdrt9%'",
                     "File_Path"),
              std::vector<std::string>{"D:\\Windows\\System32"});
}

TEST_F(PhaseStatements, MandatoryMarksFollowTheHighestHotfix) {
    conn->execute("CREATE TABLE [Tervik].dbo.MandatoryDeployment (FileDownloaded INT, DeploymentSatus INT, "
                  "MantatoryStatus INT, HFixID INT)");
    for (const char* row : {"0, 0, 1, 7", "0, 0, 1, 5", "0, 0, 0, 7"})
        conn->execute("INSERT INTO [Tervik].dbo.MandatoryDeployment VALUES (" + std::string(row) + ")");
    const std::string highest =
        " and HFixID = (select MAX(hotfixno) from [Tervik].dbo.setupdetails where HotfixNo <> 0)";
    const std::string download = "Update [Tervik].dbo.MandatoryDeployment set FileDownloaded = 1 where "
                                 "FileDownloaded = 0 and MantatoryStatus = 1" +
                                 highest;
    conn->execute(download); // no hotfix rows: MAX is NULL and nothing is marked
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE FileDownloaded = 1"), 0);
    addFile("HF5.sql", 1, 5, 0, 1, 1, "sql");
    addFile("HF7.sql", 1, 7, 0, 1, 1, "sql");
    conn->execute(download);
    EXPECT_EQ(column("SELECT HFixID FROM [Tervik].dbo.MandatoryDeployment WHERE FileDownloaded = 1 AND "
                     "MantatoryStatus = 1",
                     "HFixID"),
              std::vector<std::string>{"7"});
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE FileDownloaded = 1"), 1);
    conn->execute(
        "Update [Tervik].dbo.MandatoryDeployment set DeploymentSatus = 1 where DeploymentSatus = 0 and "
        "MantatoryStatus = 1 and FileDownloaded = 1" +
        highest);
    EXPECT_EQ(count("[Tervik].dbo.MandatoryDeployment WHERE DeploymentSatus = 1 AND HFixID = 7"), 1);
}

TEST_F(PhaseStatements, UnpackingWritesUnzipTimeReadAsDate) {
    addFile("Tervik.exe", 3);
    addFile("Tervik.EXE.bak", 3, 0, 0, 1, 1, "BAK");
    conn->execute("Update [Tervik].dbo.SetupDetails set File_UnZipDate ='2024-05-06 07:08:09' where "
                  "file_names='TERVIK.exe'");
    auto rs = conn->query("Select File_Path,File_Names,File_CrDate, isnull(File_UnZipDate,File_CrDate) as "
                          "File_UnZipDate  from [Tervik].dbo.SetupDetails (nolock) where HotfixNo =0 and "
                          "FileExtension like 'EXE' order by VersionNo");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("File_UnZipDate").asDate().iso(), "2024-05-06 07:08:09");
    // A DATETIME column comes back as a date value.
    EXPECT_TRUE(std::holds_alternative<DateTime>(rs.field("File_CrDate").raw()));
    EXPECT_EQ(
        count("[Tervik].dbo.SetupDetails (nolock) where HotfixNo =0 and FileExtension not like 'ZIP' and "
              "FileExtension not like 'TPL'"),
        2);
}

TEST_F(PhaseStatements, BackupPruneKeepsTheTwoNewest) {
    conn->execute("CREATE TABLE [Tervik].dbo.TempBackupFile (FileName VARCHAR(100), LastModDate DATETIME)");
    for (const char* f : {"'a.zip','2024-01-01 10:00:00'", "'b.zip','2024-03-01 10:00:00'",
                          "'c.zip','2024-02-01 10:00:00'", "'d.zip','2023-12-01 10:00:00'"})
        conn->execute(" INSERT INTO [Tervik].dbo.TempBackupFile SELECT " + std::string(f));
    conn->execute(
        "DELETE A FROM [Tervik].dbo.TempBackupFile A(NOLOCK) WHERE FileName IN(SELECT TOP 2 FileName "
        "FROM [Tervik].dbo.TempBackupFile(NOLOCK) Order BY LastModDate DESC)");
    auto names = column(" SELECT DISTINCT FileName FROM [Tervik].dbo.TempBackupFile(NOLOCK) ", "FileName");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"a.zip", "d.zip"}));
}

TEST_F(PhaseStatements, FilePhasesAndRegistrationQueries) {
    addFile("Tervik.exe", 2);
    addFile("Sales.rpt", 2);
    addFile("Sales.RTM", 1);
    addFile("readme.txt", 1);
    addFile("Pack.zip", 1);
    addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL");
    conn->execute(
        "CREATE TABLE [Tervik].dbo.PexaConfiguration (moduleID VARCHAR(50), seqno INT, Status INT)");
    conn->execute("INSERT INTO [Tervik].dbo.PexaConfiguration VALUES ('AutoConfig2', 2, 1)");
    const std::string config = "select Status From [Tervik].dbo.PexaConfiguration Where moduleID = ";
    EXPECT_EQ(column(config + "'autoconfig2' and seqno=2", "Status"), std::vector<std::string>{"1"});
    EXPECT_TRUE(conn->query(config + "'AutoConfig1' and seqno=1").eof());
    const std::string files = "Select * from [Tervik].dbo.SetupDetails (nolock) where HotfixNo =0 and ";
    const std::pair<std::string, std::vector<std::string>> cases[] = {
        {"SELECT DISTINCT File_Names FROM [Tervik].dbo.SetupDetails (NOLOCK) WHERE HotfixNo =0 AND "
         "file_names "
         "LIKE '%.exe'",
         {"Tervik.exe"}},
        {files + "(file_names like '%.rtm' or file_names like '%.rpt') order by VersionNo",
         {"Sales.RTM", "Sales.rpt"}},
        {files + "file_names not like '%.exe' and file_names not like '%.rpt' and file_names not like "
                 "'%.rtm' and "
                 "FileExtension not like 'ZIP' and FileExtension not like 'TPL'  and RegRequired=0 order by "
                 "VersionNo",
         {"readme.txt"}},
        {files + "RegRequired=1 order by VersionNo ", {"craxdrt9.dll"}},
    };
    for (const auto& [sql, expected] : cases)
        EXPECT_EQ(column(sql, "File_Names"), expected) << sql;
}

TEST_F(PhaseStatements, HostnamesTableFunctionReturnsItsRows) {
    conn->execute("CREATE TABLE [Tervik].dbo.FN_Hostnames (HMessage VARCHAR(200))");
    EXPECT_TRUE(conn->query("Select * from [Tervik].dbo.FN_Hostnames()").eof());
    conn->execute("INSERT INTO [Tervik].dbo.FN_Hostnames VALUES ('Close Tervik on PC7')");
    EXPECT_EQ(column("Select * from [Tervik].dbo.FN_Hostnames()", "HMessage"),
              std::vector<std::string>{"Close Tervik on PC7"});
}

TEST_F(PhaseStatements, HotfixSelectionSkipsApplied) {
    conn->execute("CREATE TABLE [Tervik].dbo.HotFixLog (FixId INT)");
    addFile("HF1.sql", 1, 1, 0, 1, 1, "sql");
    addFile("HF2.sql", 1, 2, 0, 1, 1, "sql");
    addFile("HF3.sql", 2, 3, 0, 1, 1, "sql");
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (2)");
    EXPECT_EQ(
        column("SELECT * FROM [Tervik].dbo.SetupDetails WITH (NOLOCK) WHERE HotfixNo >0 AND HotFixNo NOT "
               "IN (SELECT FixId FROM [Tervik].dbo.HotFixlog WITH(NOLOCK)) ORDER BY VersionNo,Hotfixno",
               "File_Names"),
        (std::vector<std::string>{"HF1.sql", "HF3.sql"}));
    EXPECT_FALSE(conn->query("select * from [Tervik].dbo.hotfixlog (nolock) where Fixid=2").eof());
    EXPECT_TRUE(conn->query("select * from [Tervik].dbo.hotfixlog (nolock) where Fixid=3").eof());
}

TEST_F(PhaseStatements, RollbackAndCompletion) {
    addFile("a.exe", 1, 0, 0, 1, 1, "EXE", 1);
    addFile("b.exe", 1, 0, 0, 1, 1, "EXE", 3);
    conn->execute("Update [Tervik].dbo.SetupDetails set status =3 where status=1");
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE Status = 3"), 2);

    conn->execute("CREATE TABLE [Tervik].dbo.FileExtension (Extension VARCHAR(100), Type INT, Status INT)");
    for (auto e : {"'BAK',1", "'ZIP',1", "'tmp',1", "'log',2"})
        conn->execute("INSERT INTO [Tervik].dbo.FileExtension VALUES (" + std::string(e) + ", 0)");
    EXPECT_EQ(column(" SELECT DISTINCT Extension FROM [Tervik].dbo.FileExtension(NOLOCK) WHERE Type = 1 AND "
                     "Extension NOT IN ('BAK','ZIP') ",
                     "Extension"),
              std::vector<std::string>{"tmp"});
    auto maxHf = conn->query("SELECT ISNULL(MAX(HotfixNo),0)HotfixNo FROM  [Tervik].dbo.SETUPDETAILS(NOLOCK) "
                             "WHERE FileExtension = 'sql'");
    EXPECT_EQ(maxHf.columns(), std::vector<std::string>{"HotfixNo"});
    EXPECT_EQ(maxHf.field("HotfixNo").asInt(), 0);

    conn->execute("CREATE TABLE [Tervik].dbo.DeploymentVesrion (ProcessexeName Nvarchar(100), VersionId "
                  "varchar(50), HostName varchar(100))");
    conn->execute("INSERT INTO [Tervik].dbo.DeploymentVesrion VALUES ('Old.exe', 'X', 'PC1')");
    const std::string batch = " IF EXISTS (SELECT *  FROM [Tervik].dbo.sysobjects WHERE name  "
                              "='DeploymentVesrion' AND xtype = 'U')  "
                              "BEGIN   DELETE FROM [Tervik].dbo.DeploymentVesrion  INSERT INTO "
                              "[Tervik].dbo.DeploymentVesrion(ProcessexeName,VersionId,HostName) Select "
                              "'Quillan.exe','QL.0.0.1','PC9' "
                              "END ";
    conn->execute(batch);
    conn->execute(batch);
    auto v = conn->query("SELECT * FROM [Tervik].dbo.DeploymentVesrion");
    ASSERT_EQ(v.recordCount(), 1u);
    EXPECT_EQ(v.field("ProcessexeName").asText() + "|" + v.field("VersionId").asText() + "|" +
                  v.field("HostName").asText(),
              "Quillan.exe|QL.0.0.1|PC9");
}

TEST_F(PhaseStatements, RestoreListsAndKillsOtherProcesses) {
    EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    auto other = openEmbeddedConnection(o);
    const auto processes = [&](const std::string& db) {
        return conn->query(
            "SELECT RTRIM(nt_username),spid FROM master.dbo.sysprocesses WHERE (dbid = (SELECT "
            "dbid FROM  master.dbo.sysdatabases WHERE (name = '" +
            db + "'))) ");
    };
    auto procs = processes("tervik");
    ASSERT_EQ(procs.recordCount(), 1u);
    EXPECT_EQ(procs.columns()[0], ""); // an expression without alias has no name
    conn->execute("Kill " + procs.field("spid").asText());
    EXPECT_THROW(other->query("SELECT 1 AS x"), DbError);
    EXPECT_TRUE(processes("Tervik").eof());
    EXPECT_THROW(conn->execute("Kill 9999"), DbError);
}

} // namespace

} // namespace quillan::db::test
