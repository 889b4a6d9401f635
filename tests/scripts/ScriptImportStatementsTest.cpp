// The deploy-script download's, import's and split-file reassembly's statements on the embedded
// engine.
#include "scripts/ScriptImportStatements.h"
#include "platform/db/DbAdmin.h"
#include "scripts/ScriptDownloadStatements.h"
#include "scripts/SplitPackageStatements.h"
#include "tests/support/EngineCatalog.h"
#include "tests/support/Files.h"

namespace quillan {
namespace {

using ScriptImportStatements = test::EngineCatalog;
using SplitPackageStatements = test::EngineCatalog;

TEST_F(ScriptImportStatements, FetchedNamesAreRecordedOnce) {
    const std::string name = "O'Brien_SETUPDETAILS.xml";
    EXPECT_TRUE(conn->query(fetchedScriptLookup(P, name)).eof());
    conn->execute(fetchedScriptRecord(P, name, false));
    conn->execute(fetchedScriptRecord(P, "SETUPDETAILS_1.xml", true));
    EXPECT_EQ(column(fetchedScriptLookup(P, name), "SourceFileName"), std::vector<std::string>{name});
    EXPECT_EQ(count("[Tervik].dbo.IMPORT_DEPLOY_FILENAMES"), 2);
}

TEST_F(ScriptImportStatements, WorkListOrdersTheFilesOfEachKind) {
    conn->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (2, 'SETUPDETAILS')");
    conn->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (1, 'CONFIG')");
    EXPECT_EQ(column(scriptKindsQuery(P), "Description"),
              (std::vector<std::string>{"CONFIG", "SETUPDETAILS"}));
    EXPECT_EQ(column(scriptKindLookup(P, "SetupDetails"), "SeqNO"), std::vector<std::string>{"2"});
    EXPECT_TRUE(conn->query(scriptKindLookup(P, "Unknown")).eof());

    conn->execute(scriptFileOrderInsert(P, 1, "stale.xml", {}, "XML"));
    conn->execute(clearScriptFileOrderStatement(P));
    conn->execute(scriptFileOrderInsert(P, 2, "b.xml", *DateTime::parse("2024-02-01 23:00:00"), "XML"));
    conn->execute(scriptFileOrderInsert(P, 2, "a.xml", *DateTime::parse("2024-03-01 08:00:00"), "XML"));
    conn->execute(scriptFileOrderInsert(P, 1, "c.xml", *DateTime::parse("2024-01-01"), "XML"));
    EXPECT_EQ(column(scriptFilesOfKindQuery(P, 2), "Description"),
              (std::vector<std::string>{"a.xml", "b.xml"}));
    EXPECT_EQ(column("SELECT LastModifyDate FROM [Tervik].dbo.DEPLOY_FILE_ORDER WHERE Description = 'b.xml'",
                     "LastModifyDate"),
              std::vector<std::string>{"2024-02-01"}); // the date alone
    EXPECT_TRUE(conn->query(recordedReleaseQuery(P)).eof());
}

TEST_F(ScriptImportStatements, CsvAndXmlScriptsLoadSetupDetails) {
    test::writeFile(
        dir / "CSVImport.csv",
        "File_Names\tFile_Path\tFile_CrDate\tFile_UnZipDate\tStatus\tRegRequired\tHotfixNo\tVersionNo\t"
        "UploadFileSize\tDownloadFileSize\tFileExtension\tFileSplitStatus\r\n"
        "Tervik.exe\tApp.Path\t2024/03/01 10:00:00\t\t1\t0\t0\t4\t1000\t0\tEXE\t0\r\n");
    conn->execute(csvBulkInsert("Tervik"));
    EXPECT_EQ(names(recordedReleaseQuery(P)), std::vector<std::string>{"Tervik.exe"});

    // An apostrophe inside the document's values.
    const std::string xml = "<?xml version=\"1.0\" standalone=\"yes\"?><NewDataSet><SetupDetails>"
                            "<File_Names>O'Neil.rpt</File_Names><File_Path>App.Path\\Reports</File_Path>"
                            "<File_CrDate>2024-03-01T11:00:00</File_CrDate><VersionNo>8</VersionNo>"
                            "</SetupDetails></NewDataSet>";
    auto admin = db::openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", "");
    admin->executeBatch("Tervik", xmlImportCall(xml));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE File_Names = 'O''Neil.rpt'"), 1);
}

TEST_F(ScriptImportStatements, ExcelInsertNamesEveryColumnOfTheTable) {
    // The columns as the import learns them: from the table's own recordset.
    const auto columns = conn->query(setupDetailsColumnsQuery(P)).columns();
    ASSERT_EQ(columns.size(), 12u);
    test::writeFile(dir / "make.py",
                    "import sys, xlwt\n"
                    "wb = xlwt.Workbook(); ws = wb.add_sheet('Sheet1')\n"
                    "cols = sys.argv[2].split(',')\n"
                    "vals = {'FILE_NAMES':'Sales.rpt','FILE_PATH':'App.Path','STATUS':1,'VERSIONNO':6}\n"
                    "for i, c in enumerate(cols):\n"
                    "    ws.write(0, i, c)\n"
                    "    if c.upper() in vals: ws.write(1, i, vals[c.upper()])\n"
                    "wb.save(sys.argv[1])\n");
    std::string list;
    for (const auto& c : columns)
        list += (list.empty() ? "" : ",") + c;
    ASSERT_EQ(std::system(("/usr/bin/python3 " + (dir / "make.py").string() + " " +
                           (dir / "ExcelImport.xls").string() + " " + list)
                              .c_str()),
              0);
    auto admin = db::openEmbeddedAdmin(
        dir / "Data", [d = dir](const std::string& t) { return d / t.substr(t.rfind('\\') + 1); });
    admin->connect("(local)", "sa", "");
    admin->executeBatch("Tervik", excelImportInsert(columns));
    auto rs = conn->query(recordedReleaseQuery(P));
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("File_Names").asText(), "Sales.rpt");
    EXPECT_EQ(rs.field("VersionNo").asInt(), 6);
}

TEST_F(SplitPackageStatements, RebuiltPackageReplacesItsRowAndIsUnpackedLikeAnyZip) {
    addFile("Big.tpl", 7, 0, 0, 10, 10, "TPL", 1, 1);
    addFile("Half.tpl", 7, 0, 0, 10, 5, "TPL", 1, 1); // not downloaded completely
    addFile("Big.zip", 3, 0, 2, 0, 0, "ZIP");         // left by an earlier run
    addFile("Small.zip", 6);
    EXPECT_EQ(names(downloadedPackagesQuery(P)), (std::vector<std::string>{"Small.zip", "Big.tpl"}));
    auto tpl = conn->query(templatesQuery(P));
    ASSERT_EQ(tpl.recordCount(), 1u);
    conn->execute(joinedPackageDelete(P, "Big.zip"));
    conn->execute(joinedPackageInsert(P, "Big.zip", tpl.field("VersionNo").asInt()));
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails where File_Names = 'Big.zip'");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("VersionNo").asInt(), 7);
    EXPECT_EQ(rs.field("RegRequired").asInt(), 2);
    EXPECT_EQ(rs.field("File_Path").asText(), "App.Path");
    EXPECT_LE(std::abs(rs.field("File_CrDate").asDate().serialSeconds() - DateTime::now().serialSeconds()),
              5);
}

} // namespace
} // namespace quillan
