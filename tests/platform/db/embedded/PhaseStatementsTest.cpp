// Statements of the run's phases, built with the same concatenations as the phases use.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class PhaseStatements : public EngineTest {};

TEST_F(PhaseStatements, DownloadPhaseSelectsIncompletePackagesAndRewritesDrives) {
    addFile("App1.zip", 2, 0, 0, 500, 100);
    addFile("App2.TPL", 1, 0, 0, 500, 500);
    addFile("Old.zip", 1, 0, 0, 10, 10);
    addFile("craxdrt9.dll", 1, 0, 1, 1, 1, "DLL", 1, 0, "C:\\Windows\\System32");
    auto pending =
        conn->query("Select * from " + P +
                    ".dbo.SetupDetails (nolock) where HotfixNo =0 and RegRequired=0 and (FileExtension "
                    "like 'ZIP' or FileExtension like 'TPL') and  (uploadfilesize-downloadfilesize)>0 order "
                    "by VersionNo");
    EXPECT_EQ(column(pending, "File_Names"), std::vector<std::string>{"App1.zip"});

    conn->execute("Update " + P + ".dbo.SetupDetails set DownloadFileSize=" + std::to_string(500) +
                  " Where File_Names='" + std::string("app1.ZIP") + "'");
    EXPECT_TRUE(
        conn->query("Select * from " + P +
                    ".dbo.SetupDetails (nolock) where HotfixNo =0 and  RegRequired=0 and  (FileExtension "
                    "like 'ZIP' or FileExtension like 'TPL') and  (uploadfilesize-downloadfilesize)>0 ")
            .eof());

    std::string systemDrive = "D:";
    conn->execute("Update " + P + ".dbo.SetupDetails SET File_Path=" + "'" + systemDrive + "'" +
                  "+SUBSTRING(File_Path,CHARINDEX(':',File_Path)+1,LEN(File_Path)) where HotfixNo =0 and "
                  "RegRequired=1 and File_Path Like 'C:\\%'");
    auto rt = conn->query("SELECT File_Path FROM " + P +
                          ".dbo.Setupdetails (NOLOCK) WHERE [File_Names] like 'craxdrt9%'");
    EXPECT_EQ(rt.field("File_Path").asText(), "D:\\Windows\\System32");
}

TEST_F(PhaseStatements, MandatoryMarksFollowTheHighestHotfix) {
    conn->execute("CREATE TABLE " + P +
                  ".dbo.MandatoryDeployment (FileDownloaded INT, DeploymentSatus INT, MantatoryStatus INT, "
                  "HFixID INT)");
    conn->execute("INSERT INTO " + P + ".dbo.MandatoryDeployment VALUES (0, 0, 1, 7)");
    conn->execute("INSERT INTO " + P + ".dbo.MandatoryDeployment VALUES (0, 0, 1, 5)");
    conn->execute("INSERT INTO " + P + ".dbo.MandatoryDeployment VALUES (0, 0, 0, 7)");
    std::string download = "Update " + P +
                           ".dbo.MandatoryDeployment set FileDownloaded = 1 where FileDownloaded = 0 and "
                           "MantatoryStatus = 1" +
                           " and HFixID = (select MAX(hotfixno) from " + P +
                           ".dbo.setupdetails where HotfixNo <> 0)";
    conn->execute(download); // no hotfix rows: MAX is NULL and nothing is marked
    EXPECT_EQ(count(P + ".dbo.MandatoryDeployment WHERE FileDownloaded = 1"), 0);
    addFile("HF5.sql", 1, 5, 0, 1, 1, "sql");
    addFile("HF7.sql", 1, 7, 0, 1, 1, "sql");
    conn->execute(download);
    auto marked = conn->query("SELECT HFixID, MantatoryStatus FROM " + P +
                              ".dbo.MandatoryDeployment WHERE FileDownloaded = 1");
    ASSERT_EQ(marked.recordCount(), 1u);
    EXPECT_EQ(marked.field("HFixID").asInt(), 7);
    EXPECT_EQ(marked.field("MantatoryStatus").asInt(), 1);
    conn->execute(
        "Update " + P +
        ".dbo.MandatoryDeployment set DeploymentSatus = 1 where DeploymentSatus = 0 and MantatoryStatus = "
        "1 and FileDownloaded = 1" +
        " and HFixID = (select MAX(hotfixno) from " + P + ".dbo.setupdetails where HotfixNo <> 0)");
    EXPECT_EQ(count(P + ".dbo.MandatoryDeployment WHERE DeploymentSatus = 1 AND HFixID = 7"), 1);
}

TEST_F(PhaseStatements, UnpackingWritesUnzipTimeReadAsDate) {
    addFile("Tervik.exe", 3);
    addFile("Tervik.EXE.bak", 3, 0, 0, 1, 1, "BAK");
    conn->execute("Update " + P + ".dbo.SetupDetails set File_UnZipDate ='" +
                  std::string("2024-05-06 07:08:09") + "' where file_names='" + "TERVIK.exe" + "'");
    auto rs = conn->query(
        "Select File_Path,File_Names,File_CrDate," +
        std::string(" isnull(File_UnZipDate,File_CrDate) as File_UnZipDate ") + " from " + P +
        ".dbo.SetupDetails (nolock) where HotfixNo =0 and FileExtension like 'EXE' order by VersionNo");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("File_UnZipDate").asDate().iso(), "2024-05-06 07:08:09");
    // A DATETIME column comes back as a date value.
    EXPECT_TRUE(std::holds_alternative<DateTime>(rs.field("File_CrDate").raw()));
    auto plain =
        conn->query("Select * from " + P +
                    ".dbo.SetupDetails (nolock) where HotfixNo =0 and FileExtension not like 'ZIP' and "
                    "FileExtension not like 'TPL' order by VersionNo");
    EXPECT_EQ(plain.recordCount(), 2u);
}

TEST_F(PhaseStatements, BackupPruneKeepsTheTwoNewest) {
    conn->execute("CREATE TABLE " + P + ".dbo.TempBackupFile (FileName VARCHAR(100), LastModDate DATETIME)");
    conn->execute(" DELETE FROM " + P + ".dbo.TempBackupFile ");
    const char* files[][2] = {{"a.zip", "2024-01-01 10:00:00"},
                              {"b.zip", "2024-03-01 10:00:00"},
                              {"c.zip", "2024-02-01 10:00:00"},
                              {"d.zip", "2023-12-01 10:00:00"}};
    for (auto& f : files)
        conn->execute(" INSERT INTO " + P + ".dbo.TempBackupFile SELECT '" + f[0] + "','" + f[1] + "'");
    conn->execute("DELETE A FROM " + P +
                  ".dbo.TempBackupFile A(NOLOCK) WHERE FileName IN(SELECT TOP 2 FileName FROM " + P +
                  ".dbo.TempBackupFile(NOLOCK) Order BY LastModDate DESC)");
    auto left = conn->query(" SELECT DISTINCT FileName FROM " + P + ".dbo.TempBackupFile(NOLOCK) ");
    auto names = column(left, "FileName");
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
    conn->execute("CREATE TABLE " + P +
                  ".dbo.PexaConfiguration (moduleID VARCHAR(50), seqno INT, Status INT)");
    conn->execute("INSERT INTO " + P + ".dbo.PexaConfiguration VALUES ('AutoConfig2', 2, 1)");
    EXPECT_EQ(conn->query("select Status From " + P +
                          ".dbo.PexaConfiguration Where moduleID = 'autoconfig2' and seqno=2")
                  .field("Status")
                  .asInt(),
              1);
    EXPECT_TRUE(conn->query("select Status From " + P +
                            ".dbo.PexaConfiguration Where moduleID = 'AutoConfig1' and seqno=1")
                    .eof());
    EXPECT_EQ(column(conn->query("SELECT DISTINCT File_Names FROM " + P +
                                 ".dbo.SetupDetails (NOLOCK) WHERE HotfixNo =0 AND file_names LIKE '%.exe'"),
                     "File_Names"),
              std::vector<std::string>{"Tervik.exe"});
    auto reports = conn->query("Select * from " + P +
                               ".dbo.SetupDetails (nolock) where HotfixNo =0 and (file_names like '%.rtm' or "
                               "file_names like '%.rpt') order by VersionNo");
    EXPECT_EQ(column(reports, "File_Names"), (std::vector<std::string>{"Sales.RTM", "Sales.rpt"}));
    auto others =
        conn->query("Select * from " + P +
                    ".dbo.SetupDetails (nolock) where HotfixNo =0 and file_names not like '%.exe' and "
                    "file_names not like '%.rpt' and file_names not like '%.rtm' and FileExtension not like "
                    "'ZIP' and FileExtension not like 'TPL'  and RegRequired=0 order by VersionNo");
    EXPECT_EQ(column(others, "File_Names"), std::vector<std::string>{"readme.txt"});
    auto comps =
        conn->query("Select * from " + P +
                    ".dbo.SetupDetails (nolock) where HotfixNo =0 and RegRequired=1 order by VersionNo ");
    EXPECT_EQ(column(comps, "File_Names"), std::vector<std::string>{"craxdrt9.dll"});
}

TEST_F(PhaseStatements, HostnamesTableFunctionReturnsItsRows) {
    conn->execute("CREATE TABLE " + P + ".dbo.FN_Hostnames (HMessage VARCHAR(200))");
    EXPECT_TRUE(conn->query("Select * from " + P + ".dbo.FN_Hostnames()").eof());
    conn->execute("INSERT INTO " + P + ".dbo.FN_Hostnames VALUES ('Close Tervik on PC7')");
    EXPECT_EQ(conn->query("Select * from " + P + ".dbo.FN_Hostnames()").field("HMessage").asText(),
              "Close Tervik on PC7");
}

TEST_F(PhaseStatements, HotfixSelectionSkipsApplied) {
    conn->execute("CREATE TABLE " + P + ".dbo.HotFixLog (FixId INT)");
    addFile("HF1.sql", 1, 1, 0, 1, 1, "sql");
    addFile("HF2.sql", 1, 2, 0, 1, 1, "sql");
    addFile("HF3.sql", 2, 3, 0, 1, 1, "sql");
    conn->execute("INSERT INTO " + P + ".dbo.HotFixLog VALUES (2)");
    auto pending = conn->query(
        "SELECT * FROM " + P +
        ".dbo.SetupDetails WITH (NOLOCK) WHERE HotfixNo >0 AND HotFixNo NOT IN (SELECT FixId FROM " + P +
        ".dbo.HotFixlog WITH(NOLOCK)) ORDER BY VersionNo,Hotfixno");
    EXPECT_EQ(column(pending, "File_Names"), (std::vector<std::string>{"HF1.sql", "HF3.sql"}));
    EXPECT_FALSE(
        conn->query("select * from " + P + ".dbo.hotfixlog (nolock) where Fixid=" + std::to_string(2)).eof());
    EXPECT_TRUE(
        conn->query("select * from " + P + ".dbo.hotfixlog (nolock) where Fixid=" + std::to_string(3)).eof());
}

TEST_F(PhaseStatements, RollbackAndCompletion) {
    addFile("a.exe", 1, 0, 0, 1, 1, "EXE", 1);
    addFile("b.exe", 1, 0, 0, 1, 1, "EXE", 3);
    conn->execute("Update " + P + ".dbo.SetupDetails set status =3 where status=1");
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE Status = 3"), 2);

    conn->execute("CREATE TABLE " + P + ".dbo.FileExtension (Extension VARCHAR(100), Type INT, Status INT)");
    for (auto e : {"'BAK',1", "'ZIP',1", "'tmp',1", "'log',2"})
        conn->execute("INSERT INTO " + P + ".dbo.FileExtension VALUES (" + e + ", 0)");
    auto ext = conn->query(" SELECT DISTINCT Extension FROM " + P +
                           ".dbo.FileExtension(NOLOCK) WHERE Type = 1 AND Extension NOT IN ('BAK','ZIP') ");
    EXPECT_EQ(column(ext, "Extension"), std::vector<std::string>{"tmp"});
    auto maxHf = conn->query("SELECT ISNULL(MAX(HotfixNo),0)HotfixNo FROM  " + P +
                             ".dbo.SETUPDETAILS(NOLOCK) WHERE FileExtension = 'sql'");
    EXPECT_EQ(maxHf.columns(), std::vector<std::string>{"HotfixNo"});
    EXPECT_EQ(maxHf.field("HotfixNo").asInt(), 0);

    conn->execute("CREATE TABLE " + P +
                  ".dbo.DeploymentVesrion (ProcessexeName Nvarchar(100), VersionId varchar(50), HostName "
                  "varchar(100))");
    conn->execute("INSERT INTO " + P + ".dbo.DeploymentVesrion VALUES ('Old.exe', 'X', 'PC1')");
    std::string batch = " IF EXISTS (SELECT *  FROM " + P +
                        ".dbo.sysobjects WHERE name  ='DeploymentVesrion' AND xtype = 'U') " + " BEGIN  " +
                        " DELETE FROM " + P + ".dbo.DeploymentVesrion " + " INSERT INTO " + P +
                        ".dbo.DeploymentVesrion(ProcessexeName,VersionId,HostName)" +
                        " Select 'Quillan.exe','" + "QL.0.0.1" + "','" + "PC9" + "'" + " END ";
    conn->execute(batch);
    conn->execute(batch);
    auto v = conn->query("SELECT * FROM " + P + ".dbo.DeploymentVesrion");
    ASSERT_EQ(v.recordCount(), 1u);
    EXPECT_EQ(v.field("ProcessexeName").asText(), "Quillan.exe");
    EXPECT_EQ(v.field("VersionId").asText(), "QL.0.0.1");
    EXPECT_EQ(v.field("HostName").asText(), "PC9");
}

TEST_F(PhaseStatements, StatusPanelCountsAndDetailLinks) {
    addFile("A.exe", 1);
    addFile("B.EXE", 2);
    addFile("C.exe", 2);
    addFile("R.rpt", 2);
    addFile("M.Rtm", 1);
    auto version =
        conn->query("Select ISNULL(Max(VersionNo),0) as Version from   " + P + ".dbo.SetupDetails");
    EXPECT_EQ(version.field("Version").asInt(), 2);
    std::string latest = P + ".dbo.SetupDetails)";
    std::string previous = P + ".dbo.SetupDetails where VersionNo Not in (Select Max(VersionNo) from   " + P +
                           ".dbo.SetupDetails))";
    auto exeCount = [&](const std::string& tail) {
        return conn
            ->query("select Count(File_Names) as ExeCount from " + P +
                    ".dbo.SetupDetails where File_Names like '%.Exe' and VersionNo in(Select Max(VersionNo) "
                    "from   " +
                    tail)
            .field("ExeCount")
            .asInt();
    };
    EXPECT_EQ(exeCount(latest), 2);
    EXPECT_EQ(exeCount(previous), 1);
    EXPECT_EQ(conn->query("Select ISNULL(Max(VersionNo),0) as Version from   " + P +
                          ".dbo.SetupDetails where VersionNo Not in (Select Max(VersionNo) from   " + P +
                          ".dbo.SetupDetails)")
                  .field("Version")
                  .asInt(),
              1);
    auto details = conn->query(
        "Select File_Names as [File Name],File_Crdate AS [File Date] from " + P +
        ".dbo.SetupDetails (nolock) where HotfixNo =0 and file_names like '%.exe' order by VersionNo");
    EXPECT_EQ(details.columns(), (std::vector<std::string>{"File Name", "File Date"}));
    EXPECT_EQ(details.recordCount(), 3u);
    EXPECT_EQ(details.field("File Date").asDate().iso(), "2024-03-01 10:00:00");
}

TEST_F(PhaseStatements, RestoreListsAndKillsOtherProcesses) {
    EmbeddedOptions o;
    o.dataFolder = dir / "Data";
    o.currentDatabase = "Tervik";
    auto other = openEmbeddedConnection(o);
    auto procs = conn->query(
        "SELECT RTRIM(nt_username),spid FROM master.dbo.sysprocesses WHERE (dbid = (SELECT dbid FROM " +
        std::string(" master.dbo.sysdatabases WHERE (name = '") + "tervik" + "'))) ");
    ASSERT_EQ(procs.recordCount(), 1u);
    EXPECT_EQ(procs.columns()[0], ""); // an expression without alias has no name
    conn->execute("Kill " + procs.field("spid").asText());
    EXPECT_THROW(other->query("SELECT 1 AS x"), DbError);
    EXPECT_TRUE(
        conn->query(
                "SELECT RTRIM(nt_username),spid FROM master.dbo.sysprocesses WHERE (dbid = (SELECT dbid FROM "
                " master.dbo.sysdatabases WHERE (name = 'Tervik'))) ")
            .eof());
    EXPECT_THROW(conn->execute("Kill 9999"), DbError);
}

} // namespace

} // namespace quillan::db::test
