// What the deploy-script import asks of the engine: bulk insert of a CSV file, OPENROWSET on an
// Excel sheet and the XML procedure, with their failures. (The import's statements as built run
// in tests/scripts.)
#include "EngineFixture.h"

#ifndef _WIN32
#include "platform/db/embedded/Importers.h"

#include <sqlite3.h>

#include <cstdlib>
#endif

#ifdef _WIN32
#include "platform/CompoundStreamWriter.h"

#include <cstring>
#include <variant>
#include <vector>
#endif

namespace quillan::db::test {

namespace {

using quillan::test::writeFile;

#ifdef _WIN32
// The Windows tests have no Python to make a workbook with: this one is written record by record
// into a container made by the system's structured storage, which the import then reads back
// through it and freexl reads as well. Numbers in the third column carry a date format.
using Cell = std::variant<std::string, double>;
void writeWorkbook(const std::filesystem::path& file, const std::vector<std::vector<Cell>>& rows) {
    const auto record = [](unsigned type, const std::string& body) {
        std::string r{char(type & 0xFF), char(type >> 8), char(body.size() & 0xFF), char(body.size() >> 8)};
        return r + body;
    };
    const auto le = [](std::uint32_t v, int bytes) {
        std::string out;
        for (int i = 0; i < bytes; ++i)
            out += char((v >> (8 * i)) & 0xFF);
        return out;
    };
    const auto bof = [&](unsigned kind) {
        return record(0x0809, le(0x0600, 2) + le(kind, 2) + std::string(12, '\0'));
    };
    const auto xf = [&](unsigned format) {
        return record(0x00E0, le(0, 2) + le(format, 2) + std::string(16, '\0'));
    };
    const std::string sheetName = "Sheet1";
    const auto boundSheet = [&](std::uint32_t at) {
        return record(0x0085, le(at, 4) + le(0, 2) + char(sheetName.size()) + '\0' + sheetName);
    };
    // The sheet list names where the sheet's records start: after itself and the end of the globals.
    const std::string head = bof(0x0005) + xf(0) + xf(22);
    const auto sheetAt = static_cast<std::uint32_t>(head.size() + boundSheet(0).size() + 4);
    const std::string globals = head + boundSheet(sheetAt) + record(0x000A, "");
    std::string sheet =
        bof(0x0010) + record(0x0200, le(0, 4) + le(static_cast<std::uint32_t>(rows.size()), 4) + le(0, 2) +
                                         le(static_cast<std::uint32_t>(rows[0].size()), 2) + le(0, 2));
    for (std::size_t r = 0; r < rows.size(); ++r)
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            const std::string at =
                le(static_cast<std::uint32_t>(r), 2) + le(static_cast<std::uint32_t>(c), 2);
            if (const auto* text = std::get_if<std::string>(&rows[r][c])) {
                sheet += record(0x0204, at + le(0, 2) + le(static_cast<std::uint32_t>(text->size()), 2) +
                                            '\0' + *text);
            } else {
                char number[8];
                const double value = std::get<double>(rows[r][c]);
                std::memcpy(number, &value, 8);
                sheet += record(0x0203, at + le(c == 2 ? 1 : 0, 2) + std::string(number, 8));
            }
        }
    sheet += record(0x000A, "");
    const auto writer = createCompoundStream(file, "Workbook");
    ASSERT_NE(writer, nullptr);
    ASSERT_TRUE(writer->write(globals) && writer->write(sheet) && writer->commit());
}
#endif

class ImportStatements : public EngineTest {};

TEST_F(ImportStatements, BulkInsertSkipsHeaderAndConvertsFieldsInBothTerminatorSpellings) {
    writeFile(dir / "CSVImport.csv",
              "File_Names\tFile_Path\tFile_CrDate\tFile_UnZipDate\tStatus\tRegRequired\tHotfixNo\tVersionNo\t"
              "UploadFileSize\tDownloadFileSize\tFileExtension\tFileSplitStatus\r\n"
              "Tervik.exe\tApp.Path\t2024/03/01 10:00:00\t\t1\t0\t0\t4\t1000\t0\tEXE\t0\r\n"
              "Pack.zip\tApp.Path\t2024-03-02\t\t1\t0\t0\t4\t2000\t0\tZIP\t1\r\n");
    const std::string stmt = "BULK INSERT [Tervik].dbo.[SETUPDETAILS] FROM 'C:\\CSVImport.csv' WITH ( "
                             "FIELDTERMINATOR ='\t',FIRSTROW = 2 )";
    conn->execute(stmt);
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails (nolock) order by File_Names");
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("File_Names").asText(), "Pack.zip");
    EXPECT_EQ(rs.field("File_CrDate").asDate().iso(), "2024-03-02 00:00:00");
    EXPECT_TRUE(rs.field("File_UnZipDate").isNull());
    EXPECT_EQ(rs.field("UploadFileSize").asInt(), 2000);
    rs.moveNext();
    EXPECT_EQ(rs.field("File_CrDate").asDate().iso(), "2024-03-01 10:00:00");

    // The same statement with the escape spelling of the terminators.
    writeFile(dir / "CSVImport.csv", "h\nz.exe,App.Path,2024-03-01,,1,0,0,5,1,0,EXE,0\n");
    conn->execute(
        "BULK INSERT [Tervik].dbo.[SETUPDETAILS] FROM 'C:\\CSVImport.csv' WITH (FIELDTERMINATOR=',', "
        "ROWTERMINATOR='\\n', FIRSTROW=2)");
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE VersionNo = 5"), 1);
}

TEST_F(ImportStatements, OpenRowsetReadsTheExcelSheet) {
#ifdef _WIN32
    const double march1 = 45352; // days since 30 December 1899
    writeWorkbook(dir / "ExcelImport.xls",
                  {{"File_Names", "File_Path", "File_CrDate", "Status", "VersionNo", "UploadFileSize",
                    "DownloadFileSize", "FileExtension"},
                   {"Tervik.exe", "App.Path", march1 + 10.0 / 24, 1.0, 6.0, 1234.0, 0.0, "EXE"},
                   {"Sales.rpt", "App.Path\\Reports", march1 + 1, 1.0, 6.0, 99.0, 0.0, "RPT"}});
#else
    writeFile(
        dir / "make.py",
        "import sys, xlwt, datetime\n"
        "wb = xlwt.Workbook(); ws = wb.add_sheet('Sheet1'); when = xlwt.easyxf(num_format_str='yyyy-mm-dd "
        "hh:mm:ss')\n"
        "rows = [['File_Names','File_Path','File_CrDate','Status','VersionNo','UploadFileSize',"
        "'DownloadFileSize','FileExtension'],\n"
        "        ['Tervik.exe','App.Path',datetime.datetime(2024,3,1,10,0,0),1,6,1234,0,'EXE'],\n"
        "        ['Sales.rpt','App.Path\\\\Reports',datetime.datetime(2024,3,2,0,0,0),1,6,99,0,'RPT']]\n"
        "for r, row in enumerate(rows):\n"
        "    for i, v in enumerate(row): ws.write(r, i, v, when) if r and i == 2 else ws.write(r, i, v)\n"
        "wb.save(sys.argv[1])\n");
    ASSERT_EQ(std::system(("/usr/bin/python3 " + (dir / "make.py").string() + " " +
                           (dir / "ExcelImport.xls").string())
                              .c_str()),
              0);
#endif
    // The column list comes from the table's columns, upper-cased and bracketed.
    const std::string list = "[FILE_NAMES],[FILE_PATH],[FILE_CRDATE],[STATUS],[VERSIONNO],[UPLOADFILESIZE],"
                             "[DOWNLOADFILESIZE],[FILEEXTENSION]";
    auto admin = openEmbeddedAdmin(
        dir / "Data", [d = dir](const std::string& t) { return d / t.substr(t.rfind('\\') + 1); });
    admin->connect("(local)", "sa", "");
    const auto rowset = [](const char* sheet) {
        return std::string(
                   " FROM OPENROWSET('Microsoft.Jet.OLEDB.4.0','Excel 8.0;Database=C:\\ExcelImport.xls', [") +
               sheet + "$])";
    };
    admin->executeBatch("Tervik",
                        "INSERT INTO [SETUPDETAILS](" + list + ") SELECT " + list + rowset("Sheet1"));
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails (nolock) order by File_Names");
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("File_Path").asText(), "App.Path\\Reports");
    EXPECT_EQ(rs.field("UploadFileSize").asInt(), 99);
    rs.moveNext();
    EXPECT_EQ(rs.field("File_CrDate").asDate().iso(), "2024-03-01 10:00:00");
    EXPECT_EQ(rs.field("VersionNo").asInt(), 6);
    // A missing sheet names itself.
    EXPECT_THAT(
        [&] {
            admin->executeBatch("Tervik", "INSERT INTO [SETUPDETAILS]([FILE_NAMES]) SELECT [FILE_NAMES]" +
                                              rowset("Sheet2"));
        },
        ThrowsMessage<DbError>(HasSubstr("Sheet2")));
}

#ifndef _WIN32
// Date cells read as the workbook reader writes them: a date, a date and time, a time, each by its
// format; the second sheet's own dates; a number formatted as a number stays a number. Two dates
// the reader gets wrong read right: a time within half a second of midnight is the next day's
// 00:00:00 (not "24:00:00"), and a date after February 2100 is not a day off.
TEST_F(ImportStatements, ExcelDateCellsReadAsDateTexts) {
    writeFile(dir / "make.py",
              "import sys, xlwt\n"
              "wb = xlwt.Workbook()\n"
              "first = wb.add_sheet('First'); first.write(0, 0, 'x'); first.write(1, 0, 45000.5, "
              "xlwt.easyxf(num_format_str='yyyy-mm-dd hh:mm:ss'))\n"
              "ws = wb.add_sheet('Sheet1')\n"
              "formats = ['yyyy-mm-dd', 'dd/mm/yyyy hh:mm:ss', 'hh:mm:ss', '0.00', 'yyyy-mm-dd hh:mm:ss', "
              "'yyyy-mm-dd']\n"
              "values = [45352.75, 45352.4321, 0.75, 45352.25, 45352.999995, 73110]\n"
              "for c, (f, v) in enumerate(zip(formats, values)):\n"
              "    ws.write(0, c, 'c%d' % c); ws.write(1, c, v, xlwt.easyxf(num_format_str=f))\n"
              "wb.save(sys.argv[1])\n");
    ASSERT_EQ(
        std::system(
            ("/usr/bin/python3 " + (dir / "make.py").string() + " " + (dir / "dates.xls").string()).c_str()),
        0);
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(":memory:", &db), SQLITE_OK);
    const auto row = [&](const char* sheet) {
        embedded::loadSheet(db, {"dates", "dates.xls", sheet}, dir / "dates.xls");
        sqlite3_stmt* s = nullptr;
        sqlite3_prepare_v2(db, "SELECT * FROM temp.dates", -1, &s, nullptr);
        std::vector<std::string> cells;
        if (sqlite3_step(s) == SQLITE_ROW)
            for (int c = 0; c < sqlite3_column_count(s); ++c)
                cells.push_back(std::string(sqlite3_column_type(s, c) == SQLITE_TEXT ? "" : "number ") +
                                reinterpret_cast<const char*>(sqlite3_column_text(s, c)));
        sqlite3_finalize(s);
        return cells;
    };
    EXPECT_EQ(row("Sheet1"),
              (std::vector<std::string>{"2024-03-01", "2024-03-01 10:22:13", "18:00:00", "number 45352.25",
                                        "2024-03-02 00:00:00", "2100-03-01"}));
    EXPECT_EQ(row("First"), (std::vector<std::string>{"2023-03-15 12:00:00"}));
    sqlite3_close(db);
}
#endif

TEST_F(ImportStatements, XmlProcedureLoadsADataSetDocument) {
    const std::string xml =
        "<?xml version=\"1.0\" standalone=\"yes\"?><NewDataSet>"
        "<SetupDetails><File_Names>Tervik.exe</File_Names><File_Path>App.Path</File_Path>"
        "<File_CrDate>2024-03-01T10:00:00+05:30</File_CrDate><VersionNo>8</VersionNo><HotfixNo>0</HotfixNo>"
        "<UploadFileSize>5000</UploadFileSize><FileExtension>EXE</FileExtension></SetupDetails>"
        "<SetupDetails><File_Names>O'Neil.rpt</File_Names><File_Path>App.Path\\Reports</File_Path>"
        "<File_CrDate>2024-03-01T11:00:00</File_CrDate><VersionNo>8</VersionNo></SetupDetails></NewDataSet>";
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", " ");
    admin->executeBatch("Tervik", "Exec Proc_ImpSetupDetails " + sqlQuote(xml));
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails order by File_Names");
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("File_Names").asText(), "O'Neil.rpt");
    EXPECT_EQ(rs.field("FileExtension").asText(), "RPT"); // taken from the name when absent
    EXPECT_EQ(rs.field("Status").asInt(), 1);
    EXPECT_EQ(rs.field("DownloadFileSize").asInt(), 0);
    rs.moveNext();
    EXPECT_EQ(rs.field("File_CrDate").asDate().iso(), "2024-03-01 10:00:00");
    EXPECT_EQ(rs.field("UploadFileSize").asInt(), 5000);
    // Importing the same release again replaces its rows instead of doubling them.
    admin->executeBatch("Tervik", "Exec Proc_ImpSetupDetails " + sqlQuote(xml));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 2);
    // An unknown element fails and loads nothing.
    EXPECT_THROW(admin->executeBatch("Tervik",
                                     "Exec Proc_ImpSetupDetails '<NewDataSet><SetupDetails><File_Names>"
                                     "x.exe</File_Names><Bogus>1</Bogus></SetupDetails></NewDataSet>'"),
                 DbError);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 2);
}

// An empty field takes the column's default, as SQL Server's BULK INSERT gives it; with KEEPNULLS,
// and in a column without a default, it stays NULL.
TEST_F(ImportStatements, BulkInsertGivesAnEmptyFieldTheColumnDefaultUnlessKeepNulls) {
    conn->execute("CREATE TABLE [Tervik].dbo.Defaults (Name VARCHAR(20), Size BIGINT DEFAULT 0, "
                  "Status INT NOT NULL DEFAULT 1, Note VARCHAR(20) DEFAULT 'none', Free VARCHAR(20))");
    writeFile(dir / "Defaults.csv", "Name\tSize\tStatus\tNote\tFree\na\t\t\t\t\nb\t7\t2\tx\ty\n");
    const std::string load = "BULK INSERT [Tervik].dbo.[Defaults] FROM 'C:\\Defaults.csv' WITH ( "
                             "FIELDTERMINATOR ='\t',FIRSTROW = 2";
    conn->execute(load + " )");
    auto row = [&](const std::string& name) {
        auto rs = conn->query("SELECT * FROM [Tervik].dbo.Defaults WHERE Name = " + sqlQuote(name));
        std::string out;
        for (const char* c : {"Size", "Status", "Note", "Free"})
            out += rs.field(c).textOr("NULL") + "|";
        return out;
    };
    EXPECT_EQ(row("a"), "0|1|none|NULL|");
    EXPECT_EQ(row("b"), "7|2|x|y|");
    conn->execute("DELETE FROM [Tervik].dbo.Defaults");
    writeFile(dir / "Defaults.csv", "Name\tSize\tStatus\tNote\tFree\na\t\t5\t\t\n");
    conn->execute(load + ", KEEPNULLS )");
    EXPECT_EQ(row("a"), "NULL|5|NULL|NULL|");
}

// A value that does not fit its column names the row and the column (never the value), in each
// importer; and an XML row may give its columns in any order and with any case.
TEST_F(ImportStatements, ABadValueNamesItsRowAndColumnAndXmlColumnsMayComeInAnyOrder) {
    const std::string header =
        "File_Names\tFile_Path\tFile_CrDate\tFile_UnZipDate\tStatus\tRegRequired\tHotfixNo\t"
        "VersionNo\tUploadFileSize\tDownloadFileSize\tFileExtension\tFileSplitStatus\n";
    struct Case {
        std::string csvRow, expected;
    };
    for (const Case& k :
         {Case{"a.exe\tApp.Path\tnot a date\t\t1\t0\t0\t4\t1\t0\tEXE\t0\n",
               "Conversion error for row 2, column 3 (File_CrDate): the value is not a valid date."},
          Case{"a.exe\tApp.Path\t2024-03-01\t\t1\t0\t0\t4\tsecret9\t0\tEXE\t0\n",
               "Conversion error for row 2, column 9 (UploadFileSize): the value is not a valid "
               "integer."}}) {
        writeFile(dir / "CSVImport.csv", header + k.csvRow);
        const std::string why =
            failure("BULK INSERT [Tervik].dbo.[SETUPDETAILS] FROM 'C:\\CSVImport.csv' WITH ( "
                    "FIELDTERMINATOR ='\t',FIRSTROW = 2 )");
        EXPECT_NE(why.find(k.expected), std::string::npos) << why;
        EXPECT_EQ(why.find("secret9"), std::string::npos);
        EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 0); // a bad row loads nothing of the file
    }
    auto admin = openEmbeddedAdmin(dir / "Data");
    admin->connect("(local)", "sa", " ");
    EXPECT_THAT(
        [&] {
            admin->executeBatch("Tervik",
                                "Exec Proc_ImpSetupDetails '<NewDataSet><SetupDetails><File_Names>a.exe"
                                "</File_Names></SetupDetails><SetupDetails><File_Names>b.exe</File_Names>"
                                "<VersionNo>four</VersionNo></SetupDetails></NewDataSet>'");
        },
        ThrowsMessage<DbError>(HasSubstr("row 2, column VersionNo")));
    admin->executeBatch("Tervik", "Exec Proc_ImpSetupDetails '<NewDataSet><SetupDetails>"
                                  "<fileextension>DLL</fileextension><VersionNo>7</VersionNo>"
                                  "<File_Names>c.dll</File_Names><UPLOADFILESIZE>42</UPLOADFILESIZE>"
                                  "<File_Path>App.Path</File_Path></SetupDetails></NewDataSet>'");
    auto rs = conn->query("Select * from [Tervik].dbo.SetupDetails");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("File_Names").asText(), "c.dll");
    EXPECT_EQ(rs.field("File_Path").asText(), "App.Path");
    EXPECT_EQ(rs.field("VersionNo").asInt(), 7);
    EXPECT_EQ(rs.field("UploadFileSize").asInt(), 42);
    EXPECT_EQ(rs.field("FileExtension").asText(), "DLL");
    EXPECT_EQ(rs.field("HotfixNo").asInt(), 0); // left out: the import's default
}

} // namespace

} // namespace quillan::db::test
