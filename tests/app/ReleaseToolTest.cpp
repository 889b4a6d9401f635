// The release tool against the console's own code: the deploy script it writes is loaded by the
// console's import in every format, plain and zipped; its package unpacks to the source files and
// its split form joins back into the same package; the same input gives the same bytes; and bad
// input is refused with a clear error before anything is written.
#include "app/release/ExcelScript.h"
#include "app/release/OfficeKeys.h"
#include "app/release/ReleaseBuilder.h"
#include "app/release/ReleaseError.h"
#include "archive/Unzip.h"
#include "platform/FileTimes.h"
#include "platform/Text.h"
#include "scripts/ScriptImport.h"
#include "scripts/TplTemplate.h"
#include "tests/scripts/ScriptTestSupport.h"
#include "tests/support/Command.h"
#include "tests/support/TempDir.h"
#include "trust/SignedManifest.h"
#include "trust/UtcTime.h"

#include <gtest/gtest.h>

namespace quillan::release {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

const char* const kWhen = "2024-03-01 10:00:00";

// A release of every class: a program, a report, a hotfix that records itself, a component, and
// other files, one whose name holds an apostrophe and one without extension.
struct ReleaseSource {
    test::TempDir dir;
    fs::path source = dir / "source";

    ReleaseSource() {
        add("Tervik.exe", "new program");
        add("Sales.rpt", "new report");
        add("HF12.sql", "--[TERVIK HOTFIX VERSION]=12\r\nUPDATE T SET x = 1\r\nGO\r\n"
                        "INSERT INTO HotFixLog (FixId) VALUES (12)\r\n");
        add("Comp.dll", "component");
        add("O'Neil notes.txt", "other file");
        add("LICENSE", "no extension");
    }
    void add(const std::string& name, const std::string& bytes, const char* when = kWhen) {
        writeFile(source / name, bytes);
        SetFileDate(source / name, *DateTime::parse(when));
    }
    ReleaseOptions options(const std::string& out = "out") const {
        ReleaseOptions o;
        o.source = source;
        o.out = dir / out;
        o.version = 8;
        o.reportPath = "App.Path\\Reports";
        o.components = {"Comp.dll"};
        return o;
    }
    // Every file below a folder with its bytes, by relative path.
    static std::map<std::string, std::string> contents(const fs::path& folder) {
        std::map<std::string, std::string> out;
        for (const auto& e : fs::recursive_directory_iterator(folder))
            if (e.is_regular_file())
                out[fs::relative(e.path(), folder).generic_string()] = readFile(e.path());
        return out;
    }
};

struct ReleaseTool : ::testing::Test, ReleaseSource {};

// The console's import of one published script into a fresh engine; answers the rows it loaded.
std::vector<std::string> importedRows(const fs::path& script, const std::string& format, bool zipped) {
    test::ScriptConsole console;
    console.format(format, zipped);
    fs::copy_file(script, console.deployIn() / script.filename());
    EXPECT_TRUE(UpdateDeployScript(console.c)) << console.log();
    return console.setupRows();
}

TEST_F(ReleaseTool, EveryFormatPlainOrZippedIsLoadedByTheConsolesImportWithTheSameRows) {
    std::vector<std::string> reference;
    for (const char* format : {"Xml", "Csv", "Xls"})
        for (const bool zipped : {false, true}) {
            SCOPED_TRACE(std::string(format) + (zipped ? " zipped" : ""));
            const std::string out = std::string("out-") + format + (zipped ? "-zip" : "");
            auto o = options(out);
            o.format = *parseScriptFormat(format);
            o.zipScripts = zipped;
            const auto summary = buildRelease(o);
            ASSERT_EQ(summary.files.size(), 2u);
            EXPECT_EQ(summary.files[0].relative, fs::path("Deploy/Release8.zip"));
            const std::string ext = zipped ? "zip" : lowerCase(format);
            EXPECT_EQ(summary.files[1].relative, fs::path("Master/SETUPDETAILS_000008." + ext));
            EXPECT_TRUE(fs::is_empty(dir / out / "Trans")) << "the other family's folder, listed empty";
            const auto rows = importedRows(dir / out / summary.files[1].relative, format, zipped);
            if (reference.empty())
                reference = rows;
            EXPECT_EQ(rows, reference);
        }
    const auto packageSize = std::to_string(fs::file_size(dir / "out-Xml" / "Deploy" / "Release8.zip"));
    const auto hotfixSize = std::to_string(fs::file_size(source / "HF12.sql"));
    // Columns in table order: names, folder, date, unpack date, Status, RegRequired, HotfixNo,
    // VersionNo, sizes, extension, split status.
    const std::vector<std::string> expected{
        "Comp.dll|App.Path|2024-03-01 10:00:00|<null>|1|1|0|8|9|0|DLL|0|",
        "HF12.sql|App.Path|2024-03-01 10:00:00|<null>|1|0|12|8|" + hotfixSize + "|0|SQL|0|",
        "LICENSE|App.Path|2024-03-01 10:00:00|<null>|1|0|0|8|12|0|<null>|0|",
        "O'Neil notes.txt|App.Path|2024-03-01 10:00:00|<null>|1|0|0|8|10|0|TXT|0|",
        "Release8.zip|App.Path|2024-03-01 10:00:00|<null>|1|0|0|8|" + packageSize + "|0|ZIP|0|",
        "Sales.rpt|App.Path\\Reports|2024-03-01 10:00:00|<null>|1|0|0|8|10|0|RPT|0|",
        "Tervik.exe|App.Path|2024-03-01 10:00:00|<null>|1|0|0|8|11|0|EXE|0|",
    };
    EXPECT_EQ(reference, expected);
}

TEST_F(ReleaseTool, PackageUnpacksToTheSourceFilesAndItsSplitFormJoinsBackIntoIt) {
    add("Big.bin", std::string(5000, 'x') + "tail", "2024-03-02 09:30:00");
    buildRelease(options("whole"));
    auto o = options("split");
    o.splitSize = 700;
    o.distributor = "D042";
    o.packageName = "Release8.zip"; // the same name as the whole one, so the joined bytes compare
    const auto summary = buildRelease(o);

    const fs::path whole = dir / "whole" / "Deploy" / "Release8.zip";
    cUnzip unzip;
    unzip.ZipFile(whole);
    unzip.UnzipFolder(dir / "unpacked");
    unzip.UseFolderNames(false);
    ASSERT_TRUE(unzip.Unzip());
    EXPECT_EQ(contents(dir / "unpacked"), contents(source));
    DateTime t;
    ASSERT_EQ(GetFileDate(dir / "unpacked" / "Big.bin", t), 0);
    EXPECT_EQ(t.iso(), "2024-03-02 09:30:00");

    // The template and pieces, each with its row; the console's join gives the whole package.
    const fs::path deploy = dir / "split" / "Deploy";
    const auto tplt = tpl::readTemplate(deploy / "Release8.tpl");
    ASSERT_GE(tplt.pieceCount, 2);
    EXPECT_EQ(summary.files.size(), static_cast<std::size_t>(tplt.pieceCount) + 2);
    EXPECT_EQ(tpl::joinPieces(tplt, deploy, dir / "joined.zip"), fs::file_size(whole));
    EXPECT_EQ(readFile(dir / "joined.zip"), readFile(whole));
    EXPECT_EQ(summary.files.back().relative, fs::path("Trans/D042_SETUPDETAILS_000008.xml"));
    int pieces = 0;
    for (const auto& row : summary.rows) {
        if (row.fileSplitStatus == 0)
            continue;
        EXPECT_EQ(row.uploadFileSize, fs::file_size(deploy / row.fileNames)) << row.fileNames;
        EXPECT_EQ(row.fileExtension, row.fileNames == "Release8.tpl" ? "TPL" : "ZIP") << row.fileNames;
        pieces += row.fileExtension == "ZIP";
    }
    EXPECT_EQ(pieces, tplt.pieceCount);
    // The console loads the piece rows with the extension the tool gave, not the name's "001".
    const auto rows = importedRows(dir / "split" / summary.files.back().relative, "Xml", false);
    const auto piece = std::find_if(
        rows.begin(), rows.end(), [](const std::string& r) { return r.rfind("Release8.zip.001|", 0) == 0; });
    ASSERT_NE(piece, rows.end());
    EXPECT_NE(piece->find("|ZIP|1|"), std::string::npos) << *piece;
}

TEST_F(ReleaseTool, TheSameInputGivesTheSameBytesAndAPublishedNameIsNeverChanged) {
    auto o = options("one");
    o.format = ScriptFormat::Xls; // the workbook's container too carries no time
    o.zipScripts = true;
    o.splitSize = 300;
    buildRelease(o);
    o.out = dir / "two";
    buildRelease(o);
    const auto one = contents(dir / "one");
    EXPECT_GT(one.size(), 3u);
    EXPECT_EQ(contents(dir / "two"), one);

    // Again into the same folder: nothing changes; with a changed file: refused, nothing moved.
    const auto again = buildRelease(o);
    for (const auto& f : again.files)
        EXPECT_TRUE(f.unchanged) << f.relative;
    add("Tervik.exe", "newer program");
    EXPECT_THROW(buildRelease(o), ReleaseError);
    EXPECT_EQ(contents(dir / "two"), one);
    EXPECT_FALSE(fs::exists(dir / ".two.staging"));
}

TEST_F(ReleaseTool, BadInputIsRefusedNamingTheProblemAndWritesNothing) {
    struct Case {
        const char* what;
        std::function<void(ReleaseSource&, ReleaseOptions&)> make;
        const char* says;
    };
    const std::vector<Case> cases{
        {"a tab in a name", [](auto& t, auto&) { t.add("a\tb.txt", "x"); }, "is not a plain file name"},
        {"a character Windows refuses", [](auto& t, auto&) { t.add("a|b.txt", "x"); }, "holds '|'"},
        {"a trailing dot", [](auto& t, auto&) { t.add("notes.", "x"); }, "ends with a dot"},
        {"a name that is not UTF-8", [](auto& t, auto&) { t.add("Bericht \xE4nderung.rpt", "x"); },
         "is not UTF-8"},
        {"an extension FileExtension cannot hold", [](auto& t, auto&) { t.add("a.abcdefghijk", "x"); },
         "FileExtension holds"},
        {"two names Windows takes for one", [](auto& t, auto&) { t.add("TERVIK.EXE", "x"); },
         "have one name"},
        {"a sub-folder", [](auto& t, auto&) { fs::create_directories(t.source / "Reports"); },
         "must be flat"},
        {"a hotfix without its version line",
         [](auto& t, auto&) { t.add("HF13.sql", "UPDATE T SET x=2\r\n"); }, "has no version line"},
        {"a version line not at the start",
         [](auto& t, auto&) { t.add("HF13.sql", "  --[TERVIK HOTFIX VERSION]=13"); }, "must begin with"},
        {"a hotfix number 0", [](auto& t, auto&) { t.add("HF13.sql", "--[tervik hotfix version]=0\r\n"); },
         "whole number"},
        {"two hotfixes of one number",
         [](auto& t, auto&) { t.add("HF12b.sql", "--[TERVIK HOTFIX VERSION]=12"); }, "both carry number 12"},
        {"a component not in the folder", [](auto&, auto& o) { o.components.insert("Gone.ocx"); },
         "is not a file of the source folder"},
        {"version 0", [](auto&, auto& o) { o.version = 0; }, "greater than 0"},
        {"a distributor code with '_'", [](auto&, auto& o) { o.distributor = "D_1"; }, "holds '_'"},
        {"a package name that is no zip", [](auto&, auto& o) { o.packageName = "Release.rar"; },
         "must end with .zip"},
        {"a file named as the package", [](auto& t, auto&) { t.add("release8.zip", "x"); },
         "the release's own package"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        ReleaseSource t;
        auto o = t.options();
        k.make(t, o);
        try {
            buildRelease(o);
            ADD_FAILURE() << "accepted";
        } catch (const ReleaseError& e) {
            EXPECT_NE(std::string(e.what()).find(k.says), std::string::npos) << e.what();
        }
        EXPECT_FALSE(fs::exists(o.out));
    }
    // A sheet holds 65,536 rows, the header's among them.
    SetupRow row;
    row.fileNames = "a.txt";
    row.fileCrDate = kWhen;
    std::vector<SetupRow> full(65535, row);
    EXPECT_NO_THROW(excelScript(full));
    full.push_back(row);
    try {
        excelScript(full);
        ADD_FAILURE() << "accepted";
    } catch (const ReleaseError& e) {
        EXPECT_NE(std::string(e.what()).find("holds at most 65535 rows"), std::string::npos) << e.what();
    }
}

// The console never writes HotFixLog, so a script that does not insert its own row gets a note
// (it is still published); reading the table to guard the insert, or naming it in a comment or a
// text, is not writing it.
TEST_F(ReleaseTool, AHotfixThatDoesNotInsertItsOwnLogRowGetsANote) {
    const std::pair<const char*, bool> scripts[] = {
        {"IF NOT EXISTS (SELECT * FROM HotFixLog WHERE FixId = 13) UPDATE T SET x = 2", true},
        {"UPDATE T SET x = 2 -- INSERT INTO HotFixLog VALUES (13)\r\n/* insert hotfixlog */", true},
        {"PRINT 'INSERT INTO HotFixLog (FixId) VALUES (13)'", true},
        {"UPDATE T SET x = 2\r\nGO\r\nIF NOT EXISTS (SELECT * FROM HotFixLog WHERE FixId = 13)\r\n"
         "    insert [Tervik].dbo.[HotFixLog] VALUES (13)",
         false},
    };
    for (const auto& [body, noted] : scripts) {
        SCOPED_TRACE(body);
        ReleaseSource t;
        t.add("HF13.sql", std::string("--[TERVIK HOTFIX VERSION]=13\r\n") + body);
        std::vector<std::string> notes;
        buildRelease(t.options(), [&](const std::string& n) { notes.push_back(n); });
        ASSERT_EQ(notes.size(), noted ? 1U : 0U);
        if (noted) {
            EXPECT_NE(notes[0].find("HF13.sql does not write its row into HotFixLog"), std::string::npos)
                << notes[0];
        }
        EXPECT_TRUE(fs::exists(t.options().out));
    }
}

TEST_F(ReleaseTool, SignedReleaseListsEveryPublishedFileAndIsSignedAgainWithoutChangingThem) {
    const auto keys = generateOfficeKeys(dir / "keys");
    EXPECT_EQ(fs::status(keys.secretFile).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    const std::string secret = readFile(keys.secretFile);
    EXPECT_THROW(generateOfficeKeys(dir / "keys"), ReleaseError);
    EXPECT_EQ(readFile(keys.secretFile), secret) << "a key is never overwritten";

    auto o = options("one");
    o.distributor = "D0001";
    o.splitSize = 300;
    o.signKey = keys.secretFile;
    o.issued = trust::parseUtc("2026-12-01T08:00:00Z");
    buildRelease(o);
    const fs::path manifest = dir / "one" / "Trans" / "D0001_SETUPDETAILS_000008.xml.manifest";
    const auto m = trust::verifySignedManifest(readFile(manifest), {keys.publicHex}).manifest;
    EXPECT_EQ(m.version, 8);
    EXPECT_EQ(m.distributor, "D0001");
    EXPECT_EQ(trust::formatUtc(m.expires), "2026-12-31T08:00:00Z");
    std::vector<fs::path> published{dir / "one" / "Trans" / "D0001_SETUPDETAILS_000008.xml"};
    for (const auto& e : fs::directory_iterator(dir / "one" / "Deploy"))
        published.push_back(e.path());
    EXPECT_GT(published.size(), 3u) << "the template and its pieces";
    ASSERT_EQ(m.files.size(), published.size());
    for (const auto& f : published) {
        ASSERT_TRUE(m.find(f.filename().string())) << f;
        EXPECT_EQ(m.find(f.filename().string())->digest, *trust::digestOfFile(f)) << f;
    }
    o.out = dir / "two";
    buildRelease(o);
    EXPECT_EQ(contents(dir / "two"), contents(dir / "one")) << "the same input and times, the same bytes";

    // Signed again later: a new manifest over the same files, which stay as published.
    const auto before = contents(dir / "one");
    o.out = dir / "one";
    o.issued = trust::parseUtc("2026-12-20T08:00:00Z");
    buildRelease(o);
    auto after = contents(dir / "one");
    const std::string key = "Trans/D0001_SETUPDETAILS_000008.xml.manifest";
    EXPECT_NE(after[key], before.at(key));
    EXPECT_EQ(trust::formatUtc(trust::verifySignedManifest(after[key], {keys.publicHex}).manifest.expires),
              "2027-01-19T08:00:00Z");
    after[key] = before.at(key);
    EXPECT_EQ(after, before);
}

// The executable: --help and its own version, a dry run, every problem of a bad input at once, and
// the exit codes.
TEST_F(ReleaseTool, ExecutableHelpDryRunAndEveryProblemAtOnce) {
    const std::string exe =
        test::shellQuote((fs::path(QUILLAN_BINARY_DIR) / "app" / "quillan-release").string());
    const auto help = test::runCommand(exe + " --help");
    EXPECT_EQ(help.code, 0);
    EXPECT_NE(help.out.find("--split-size"), std::string::npos) << help.out;
    const auto version = test::runCommand(exe + " --tool-version");
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out.rfind("quillan-release ", 0), 0u) << version.out;
    EXPECT_EQ(test::runCommand(exe + " --bogus").code, 64);

    // Publishing through the executable, in every format, is the whole deployments' first step.
    const std::string args = " " + test::shellQuote(source.string()) + " " +
                             test::shellQuote((dir / "out").string()) + " --version 8";
    const auto dry =
        test::runCommand(exe + args + " --register Comp.dll --report-path 'App.Path\\Reports' --dry-run");
    EXPECT_EQ(dry.code, 0) << dry.out;
    for (const char* line : {"  Tervik.exe -> program -> App.Path -> Deploy/Release8.zip\n",
                             "  Sales.rpt -> report -> App.Path\\Reports -> Deploy/Release8.zip\n",
                             "  Comp.dll -> component -> App.Path -> Deploy/Release8.zip\n",
                             "  deploy script -> Master/SETUPDETAILS_000008.xml\n"})
        EXPECT_NE(dry.out.find(line), std::string::npos) << line << "\n" << dry.out;
    EXPECT_FALSE(fs::exists(dir / "out")) << "a dry run writes nothing";

    add("HF13.sql", "no version line");
    add("a|b.txt", "x");
    const auto bad = test::runCommand(exe + args + " --package Other.rar");
    EXPECT_EQ(bad.code, 1);
    EXPECT_NE(bad.out.find("quillan-release: 3 problems; nothing was written:\n"), std::string::npos)
        << bad.out;
    for (const char* problem : {"package name 'Other.rar' must end with .zip",
                                "hotfix HF13.sql has no version line", "file name 'a|b.txt' holds '|'"})
        EXPECT_NE(bad.out.find(std::string("\n  - ") + problem), std::string::npos) << problem << "\n"
                                                                                    << bad.out;
    EXPECT_FALSE(fs::exists(dir / "out"));
}

} // namespace
} // namespace quillan::release
