// The deploy-script import on the embedded engine through the real administration interface:
// every format, plain and zipped, loads the same rows; the order of kinds and files; and what a
// failure leaves behind (nothing lost, nothing archived that was not imported).
#include "scripts/ScriptImport.h"
#include "tests/scripts/ScriptTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

namespace quillan {
namespace {

using namespace test;
namespace fs = std::filesystem;

struct ScriptImport : ::testing::Test, ScriptConsole {};

// Two programs and a report whose name and folder hold apostrophes; the unpack date left empty.
const std::vector<ReleaseRow> kRelease{
    {"Tervik.exe", "App.Path", "2024-03-01 10:00:00", "", "1", "0", "0", "8", "5000", "0", "EXE", "0"},
    {"O'Neil.rpt", "App.Path\\O'Neil Reports", "2024-03-02 11:30:00", "", "1", "0", "0", "8", "700", "0",
     "RPT", "0"},
    {"Pkg8.zip", "App.Path", "2024-03-03 00:00:00", "", "1", "0", "0", "8", "90000", "0", "ZIP", "1"},
};

// Writes the release as a script of the format into `file`.
void writeScript(const std::string& format, const fs::path& file) {
    if (format == "Xml")
        writeFile(file, xmlScript(kRelease));
    else if (format == "Csv")
        writeFile(file, csvScript(kRelease));
    else
        writeExcelScript(file, kRelease);
}

TEST_F(ScriptImport, EveryFormatPlainOrZippedLoadsTheSameRows) {
    // The XML script loaded by the procedure is the reference the other formats must match.
    std::vector<std::string> reference;
    {
        ScriptConsole x;
        writeFile(x.deployIn() / "SETUPDETAILS_1.xml", xmlScript(kRelease));
        ASSERT_TRUE(UpdateDeployScript(x.c)) << x.log();
        reference = x.setupRows();
    }
    ASSERT_EQ(reference.size(), 3u);
    EXPECT_NE(
        reference[0].find("O'Neil.rpt|App.Path\\O'Neil Reports|2024-03-02 11:30:00|<null>|1|0|0|8|700|"),
        std::string::npos)
        << reference[0];

    for (const std::string format : {"Xml", "Csv", "Xls"})
        for (const bool zipped : {false, true}) {
            SCOPED_TRACE(format + (zipped ? " zipped" : ""));
            ScriptConsole s;
            s.format(format, zipped);
            const std::string scriptName = "SETUPDETAILS_1." + format;
            const fs::path plain = s.deployIn() / scriptName;
            writeScript(format, plain);
            if (zipped) {
                const std::string bytes = readFile(plain);
                fs::remove(plain);
                writeZip(s.deployIn() / "SETUPDETAILS_1.Zip", scriptName, bytes);
            }
            ASSERT_TRUE(UpdateDeployScript(s.c)) << s.log();
            EXPECT_EQ(s.setupRows(), reference);
            EXPECT_NE(s.log().find(">>-Importing data from " + scriptName + "\r\n"), std::string::npos);
            // Imported: gone from DEPLOY IN; a zipped script is archived, a plain one is not.
            EXPECT_TRUE(fileNamesIn(s.deployIn()).empty());
            EXPECT_EQ(fileNamesIn(s.archive()),
                      zipped ? std::vector<std::string>{"SETUPDETAILS_1.Zip"} : std::vector<std::string>{});
        }
}

TEST_F(ScriptImport, SqlScriptsRunAsTheyStandAndBlankOnesRunNothing) {
    format("Sql");
    writeFile(deployIn() / "SETUPDETAILS_1.Sql",
              "\r\n  \r\nINSERT INTO [Tervik].dbo.SetupDetails (File_Names, VersionNo, Status)\r\n\r\n"
              "VALUES ('It''s.dll', 3, 1)\r\n");
    writeFile(deployIn() / "SETUPDETAILS_2.Sql", "\r\n   \r\n\t\r\n");
    ASSERT_TRUE(UpdateDeployScript(c)) << log();
    EXPECT_EQ(setupRows(),
              std::vector<std::string>{
                  "It's.dll|<null>|<null>|<null>|1|<null>|<null>|3|<null>|<null>|<null>|<null>|"});
}

TEST_F(ScriptImport, KindsInTheirOrderFilesByNameAndALongMasterNameByItsFirstPart) {
    db->execute("UPDATE [Tervik].dbo.DEPLOY_FILENAMES SET Seqno = 2");
    db->execute("INSERT INTO [Tervik].dbo.DEPLOY_FILENAMES VALUES (1, 'EXTRA')");
    int n = 0;
    for (const char* name : {"SETUPDETAILS_2.xml", "SETUPDETAILS_2024_01.xml", "D042_SETUPDETAILS_1.xml",
                             "EXTRA_1.xml", "UNKNOWN_1.xml", "SETUPDETAILS_10.xml"})
        writeFile(deployIn() / name,
                  xmlScript({{std::string(name) + ".dll", "App.Path", "2024-03-01 10:00:00", "", "1", "0",
                              "0", std::to_string(++n), "1", "0", "DLL", "0"}}));
    ASSERT_TRUE(UpdateDeployScript(c)) << log();
    std::vector<std::string> imported;
    const std::string text = log();
    const std::string mark = ">>-Importing data from ";
    for (auto at = text.find(mark); at != std::string::npos; at = text.find(mark, at + 1))
        imported.push_back(text.substr(at + mark.size(), text.find('\r', at) - at - mark.size()));
    EXPECT_EQ(imported,
              (std::vector<std::string>{"EXTRA_1.xml", "D042_SETUPDETAILS_1.xml", "SETUPDETAILS_10.xml",
                                        "SETUPDETAILS_2.xml", "SETUPDETAILS_2024_01.xml"}));
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 5);
    // A file of an unknown kind is not imported; it is archived with what is left.
    EXPECT_EQ(fileNamesIn(archive()), std::vector<std::string>{"UNKNOWN_1.xml"});
}

// A script that cannot be imported used to stay in DEPLOY IN, first in every later run's import
// and failing it, so no script published after it was ever reached.
TEST_F(ScriptImport, AScriptThatCannotBeImportedIsSetAsideWithItsReasonAndTheNextOnesGoOn) {
    const std::string good = xmlScript({kRelease[0]});
    const std::vector<std::pair<std::string, std::function<void(ScriptConsole&)>>> cases{
        {"SETUPDETAILS_1.xml",
         [&](ScriptConsole& s) {
             writeFile(s.deployIn() / "SETUPDETAILS_1.xml", "<NewDataSet><SetupDetails><Colour>red</Colour>"
                                                            "</SetupDetails></NewDataSet>");
             writeFile(s.deployIn() / "SETUPDETAILS_2.xml", good);
         }},
        {"SETUPDETAILS_1.zip",
         [&](ScriptConsole& s) {
             s.format("Xml", true);
             writeFile(s.deployIn() / "SETUPDETAILS_1.zip", "this is no zip archive");
             writeZip(s.deployIn() / "SETUPDETAILS_2.zip", "SETUPDETAILS_2.xml", good);
         }},
    };
    for (const auto& [bad, arrange] : cases) {
        SCOPED_TRACE(bad);
        ScriptConsole s;
        arrange(s);
        EXPECT_FALSE(UpdateDeployScript(s.c)) << "a refused script fails this run's import";
        EXPECT_EQ(s.count("[Tervik].dbo.SetupDetails"), 1) << s.log();
        EXPECT_TRUE(fileNamesIn(s.deployIn()).empty());
        const fs::path refused = s.program / "DEPLOY REFUSED";
        EXPECT_EQ(fileNamesIn(refused), (std::vector<std::string>{bad, bad + ".reason.txt"}));
        const std::string reason = readFile(refused / (bad + ".reason.txt"));
        EXPECT_EQ(reason.find("The deploy script " + bad + " cannot be imported: "), 0u) << reason;
        EXPECT_GT(reason.size(), bad.size() + 40) << "the reason itself is written";
        EXPECT_NE(s.log().find(">>Deploy script " + bad +
                               " cannot be imported and was moved to C:\\Tervik\\"
                               "DEPLOY REFUSED: "),
                  std::string::npos)
            << s.log();
        EXPECT_NE(s.log().find(">>Updating Deploy Script Process Failed"), std::string::npos);
        EXPECT_FALSE(s.op.informed.empty()); // the failure was shown
        EXPECT_TRUE(UpdateDeployScript(s.c)) << "the next run is not held up: " << s.log();
    }
}

// Two rows of one release naming one file in two letter cases are one file on Windows: the XML
// load kept whichever came last, a CSV load kept both. The script is refused with both spellings
// and loads nothing; twins already in the table refuse no later script.
TEST_F(ScriptImport, RowsOfOneReleaseDifferingOnlyInLetterCaseRefuseTheScript) {
    ReleaseRow twin = kRelease[0];
    twin[0] = "TERVIK.EXE";
    twin[8] = "5100";
    ReleaseRow nextRelease = twin;
    nextRelease[7] = "9"; // another version: no twin
    for (const std::string format : {"Xml", "Csv"}) {
        SCOPED_TRACE(format);
        ScriptConsole s;
        s.format(format);
        s.addFile("Old.rpt", 7, 0, "RPT");
        s.addFile("OLD.RPT", 7, 0, "RPT");
        const auto script = [&](const std::string& name, const std::vector<ReleaseRow>& rows) {
            writeFile(s.deployIn() / (name + "." + format),
                      format == "Xml" ? xmlScript(rows) : csvScript(rows));
        };
        script("SETUPDETAILS_1", {kRelease[0], nextRelease});
        ASSERT_TRUE(UpdateDeployScript(s.c)) << s.log();
        auto expected = s.setupRows();
        ASSERT_EQ(expected.size(), 4u);

        script("SETUPDETAILS_2", {kRelease[2], kRelease[0], twin});
        script("SETUPDETAILS_3", {kRelease[1]});
        EXPECT_FALSE(UpdateDeployScript(s.c));
        const auto rows = s.setupRows();
        EXPECT_EQ(rows.size(), 5u) << "only the script after the refused one loaded";
        for (const auto& row : expected)
            EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
        const std::string reason =
            readFile(s.program / "DEPLOY REFUSED" / ("SETUPDETAILS_2." + format + ".reason.txt"));
        EXPECT_NE(
            reason.find("TERVIK.EXE and Tervik.exe of version 8 in App.Path differ only in letter case"),
            std::string::npos)
            << reason;
    }
}

TEST_F(ScriptImport, AWorkListThatStoppedHalfWayImportsAndArchivesNothing) {
    // The second file's row cannot be added: the work list stops after the first.
    db->execute("CREATE UNIQUE INDEX one_per_kind ON [Tervik].dbo.DEPLOY_FILE_ORDER (TableId)");
    const std::string good = xmlScript({kRelease[0]});
    writeFile(deployIn() / "SETUPDETAILS_1.xml", good);
    writeFile(deployIn() / "SETUPDETAILS_2.xml", good);
    EXPECT_FALSE(UpdateDeployScript(c));
    EXPECT_EQ(fileNamesIn(deployIn()),
              (std::vector<std::string>{"SETUPDETAILS_1.xml", "SETUPDETAILS_2.xml"}));
    EXPECT_TRUE(fileNamesIn(archive()).empty());
    EXPECT_FALSE(fs::exists(program / "DEPLOY REFUSED"));
    EXPECT_TRUE(logged(">>Updating Deploy Script Process Failed"));
    EXPECT_FALSE(op.informed.empty());
}

TEST_F(ScriptImport, NothingToImportCountsAsDoneOnlyWhenAReleaseIsRecorded) {
    EXPECT_FALSE(UpdateDeployScript(c));
    EXPECT_TRUE(logged(">>No Script File Found"));
    addFile("Tervik.exe", 1, 0, "EXE");
    c.log.open(dir.path() / "second.log");
    EXPECT_TRUE(UpdateDeployScript(c));
    const std::string second = c.log.readAll(); // the log's header, then only the start line
    EXPECT_EQ(second.substr(second.find(">>")), ">>Updating Deploy Script Process Started\r\n");
}

TEST_F(ScriptImport, ZippedScriptOfAnotherFormatImportsNothingAndIsArchived) {
    format("Xml", true);
    writeZip(deployIn() / "SETUPDETAILS_1.zip", "SETUPDETAILS_1.csv", csvScript(kRelease));
    ASSERT_TRUE(UpdateDeployScript(c)) << log();
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 0);
    EXPECT_EQ(fileNamesIn(archive()), std::vector<std::string>{"SETUPDETAILS_1.zip"});
}

// The examples of docs/deploy-scripts.md: the XML row leaves out what the import defaults, the CSV
// and Excel rows give every value, and all three load the same row. An empty CSV field is NULL
// (the table has no defaults), where an element left out of the XML takes the import's default.
TEST_F(ScriptImport, ThePublishedExamplesOfEachFormatLoadTheSameRow) {
    const std::string xml =
        "<?xml version='1.0' standalone='yes'?>\n<NewDataSet>\n  <SetupDetails>\n"
        "    <File_Names>Pkg8.zip</File_Names>\n    <File_Path>App.Path</File_Path>\n"
        "    <File_CrDate>2024-03-01T10:00:00</File_CrDate>\n    <VersionNo>8</VersionNo>\n"
        "    <UploadFileSize>90000</UploadFileSize>\n  </SetupDetails>\n</NewDataSet>\n";
    const ReleaseRow full{"Pkg8.zip", "App.Path", "2024-03-01 10:00:00", "", "1", "0", "0", "8", "90000", "0",
                          "ZIP",      "0"};
    auto load = [](const std::string& format, const std::function<void(const fs::path&)>& write) {
        ScriptConsole s;
        s.format(format);
        write(s.deployIn() / ("SETUPDETAILS_2024_03." + format));
        EXPECT_TRUE(UpdateDeployScript(s.c)) << format << "\n" << s.log();
        return s.setupRows();
    };
    const auto fromXml = load("Xml", [&](const fs::path& f) { writeFile(f, xml); });
    ASSERT_EQ(fromXml.size(), 1u);
    EXPECT_EQ(fromXml[0], "Pkg8.zip|App.Path|2024-03-01 10:00:00|<null>|1|0|0|8|90000|0|ZIP|0|");
    EXPECT_EQ(load("Csv", [&](const fs::path& f) { writeFile(f, csvScript({full})); }), fromXml);
    EXPECT_EQ(load("Xls", [&](const fs::path& f) { writeExcelScript(f, {full}); }), fromXml);

    ReleaseRow sparse = full;
    sparse[4] = sparse[9] = ""; // Status and DownloadFileSize left empty
    EXPECT_EQ(load("Csv", [&](const fs::path& f) { writeFile(f, csvScript({sparse})); }),
              std::vector<std::string>{
                  "Pkg8.zip|App.Path|2024-03-01 10:00:00|<null>|<null>|0|0|8|90000|<null>|ZIP|0|"});
}

} // namespace
} // namespace quillan
