// Crashes of the real program: quillan --headless on an installation made by quillan-sample, the
// release served by quillan-office, killed (SIGKILL) at a point of a phase, then run again. After
// the kill no file under a final name holds half its bytes (each is its old or its new content,
// anything else is a temporary name); the next run completes what the phases built so far
// complete, and leaves no temporary name behind and every release row once.
#include "archive/Zip.h"
#include "platform/FileTimes.h"
#include "platform/db/Connection.h"
#include "scripts/TplTemplate.h"
#include "tests/e2e/Executables.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/support/TempDir.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>

namespace quillan {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

constexpr const char* kConnection =
    "Provider=SQLite;Data Folder=Data;Data Source=(local);Initial Catalog=Tervik;";

// A name only a temporary of the program carries: a download's ".part" and its record, the
// unpacking's "~qz….part", the join's "~….joining", the safe copy's hidden ".….part".
bool isTemporaryName(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.ends_with(".part") || name.ends_with(".part.info") || name.ends_with(".joining") ||
           name.ends_with(".tmp");
}

struct SampleDeployment {
    test::TempDir base;
    fs::path app = base / "install";
    fs::path office = base / "office";
    fs::path update = app / "Tervik" / "Update";
    std::unique_ptr<test::Child> officeProcess;
    int port = 0;
    std::map<std::string, std::string> published; // packages by name
    std::map<std::string, std::string> unpacked;  // what the unpacking (and the join) put beside them
    std::map<std::string, std::string> installationBefore;
    std::string script;
    int runs = 0;

    SampleDeployment() {
        fs::create_directories(office / "Deploy");
        fs::create_directories(office / "DeployMaster");
        fs::create_directories(office / "DeployTrans");
        publishZip(office / "Deploy" / "App.zip", {{"Tervik.exe", test::patternBytes(300 * 1024, 3)}});
        publishZip(base / "Big.zip", {{"Big.rpt", test::patternBytes(3 * 1024 * 1024, 9)}});
        unpacked["Big.zip"] = test::readFile(base / "Big.zip");
        tpl::splitPackage(base / "Big.zip", office / "Deploy", "Big.tpl", "D:\\Release\\Big.zip", 512 * 1024);

        std::string rows = row("Tervik.exe", "EXE", 0, 0) + row("4 fix.sql", "sql", 0, 0, 4);
        for (const auto& e : fs::directory_iterator(office / "Deploy")) {
            const std::string name = e.path().filename().string();
            published[name] = test::readFile(e.path());
            const bool split = name != "App.zip";
            rows += row(name, name.ends_with(".tpl") ? "TPL" : "ZIP", published[name].size(), split ? 1 : 0);
        }
        script = "<?xml version='1.0' standalone='yes'?>\r\n<NewDataSet>\r\n" + rows + "</NewDataSet>\r\n";
        test::writeFile(office / "DeployMaster" / "SETUPDETAILS_1.xml", script);

        startOffice({});
        const std::string server = "http://127.0.0.1:" + std::to_string(port) + "/";
        test::Child sample({test::executable("quillan-sample").string(), app.string(), "--mode", "http",
                            "--server-path", server, "--web-service", "DeployService"},
                           base / "sample.out");
        EXPECT_TRUE(test::waitFor([&] { return sample.exited().has_value(); }, std::chrono::seconds(20)));
        EXPECT_EQ(sample.exited(), 0) << test::readFile(base / "sample.out");
        // The office serves each folder below its root: the settings name them with their slash.
        auto conn = db::openConnection(kConnection, app);
        for (const auto& [seqno, folder] :
             {std::pair{32, "Deploy/"}, {38, "DeployMaster/"}, {39, "DeployTrans/"}})
            conn->execute("UPDATE [Tervik].dbo.configuration SET Condition = " + db::sqlQuote(folder) +
                          " WHERE SeqNo = " + std::to_string(seqno));
        // The installation as the release finds it.
        test::writeFile(app / "Tervik.exe", "the old program");
        test::writeFile(app / "Reports" / "Sales.rpt", "the old report");
        installationBefore = installation();
    }
    ~SampleDeployment() {
        if (officeProcess)
            officeProcess->kill(SIGTERM);
    }

    static std::string row(const std::string& name, const std::string& ext, std::size_t size, int split,
                           int hotfix = 0) {
        const std::string fields[][2] = {{"File_Names", name},
                                         {"File_Path", "App.Path"},
                                         {"File_CrDate", "2024-03-01 10:00:00"},
                                         {"Status", "1"},
                                         {"RegRequired", "0"},
                                         {"HotfixNo", std::to_string(hotfix)},
                                         {"VersionNo", "1"},
                                         {"UploadFileSize", std::to_string(size)},
                                         {"DownloadFileSize", "0"},
                                         {"FileExtension", ext},
                                         {"FileSplitStatus", std::to_string(split)}};
        std::string s = "  <SetupDetails>\r\n";
        for (const auto& [column, value] : fields)
            s += "    <" + column + ">" + value + "</" + column + ">\r\n";
        return s + "  </SetupDetails>\r\n";
    }

    void publishZip(const fs::path& archive, const std::map<std::string, std::string>& members) {
        const fs::path staging = base / "staging";
        fs::remove_all(staging);
        cZip z;
        z.ZipFile(archive);
        for (const auto& [name, bytes] : members) {
            test::writeFile(staging / name, bytes);
            SetFileDate(staging / name, *DateTime::parse("2024-03-05 14:07:09"));
            z.AddFileSpec((staging / name).string());
            unpacked[name] = bytes;
        }
        z.Zip();
    }

    // The office, on the port it had (the installation's settings name it), with these faults.
    void startOffice(const std::vector<std::string>& faults) {
        if (officeProcess)
            officeProcess->kill(SIGTERM);
        const fs::path portFile = base / "office.port";
        fs::remove(portFile);
        std::vector<std::string> args{test::executable("quillan-office").string(),
                                      office.string(),
                                      "--master",
                                      "DeployMaster",
                                      "--trans",
                                      "DeployTrans",
                                      "--port",
                                      std::to_string(port),
                                      "--port-file",
                                      portFile.string()};
        args.insert(args.end(), faults.begin(), faults.end());
        officeProcess = std::make_unique<test::Child>(args, base / "office.out");
        ASSERT_TRUE(test::waitFor([&] { return test::readFile(portFile).find('\n') != std::string::npos; },
                                  std::chrono::seconds(10)))
            << test::readFile(base / "office.out");
        port = std::stoi(test::readFile(portFile));
    }

    std::string runLog() const { return test::readFile(app / "Tervik" / "Logs" / "DeployErrlog.log"); }

    struct Outcome {
        bool killed = false;
        std::optional<int> exitCode;
        std::string log;
    };
    // One headless run; killed the moment `killWhen` answers true (never, without one).
    Outcome runQuillan(const std::function<bool()>& killWhen = {}) {
        Outcome o;
        test::Child q({test::executable("quillan").string(), "--app-dir", app.string(), "--headless",
                       "--answer", "continue=yes", "--answer", "close=yes"},
                      base / ("quillan-" + std::to_string(++runs) + ".out"));
        test::waitFor(
            [&] {
                if (q.exited())
                    return true;
                if (killWhen && killWhen()) {
                    q.kill(SIGKILL);
                    o.killed = true;
                    return true;
                }
                return false;
            },
            std::chrono::seconds(30));
        o.exitCode = o.killed ? std::nullopt : q.exited();
        o.log = runLog();
        return o;
    }

    // The application's own files (not the console's work folders, database or logs).
    std::map<std::string, std::string> installation() const {
        auto all = test::snapshot(app);
        std::erase_if(
            all, [](const auto& f) { return !(f.first == "Tervik.exe" || f.first.starts_with("Reports/")); });
        return all;
    }
    // Files of the update folder under a release name whose bytes are not the release's; with
    // `temporariesAllowed` false, temporary names too.
    std::vector<std::string> broken(bool temporariesAllowed) const {
        std::map<std::string, std::string> expected = published;
        expected.insert(unpacked.begin(), unpacked.end());
        std::vector<std::string> out;
        for (const auto& [name, bytes] : test::snapshot(update)) {
            const auto it = expected.find(name);
            if (it != expected.end() ? it->second != bytes : !(temporariesAllowed && isTemporaryName(name)))
                out.push_back(name);
        }
        return out;
    }
    // Temporary names anywhere in the installation.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> out;
        for (const auto& [name, bytes] : test::snapshot(app))
            if (isTemporaryName(name) || fs::path(name).filename().string().starts_with("~"))
                out.push_back(name);
        return out;
    }
    // How often each file name has a SetupDetails row.
    std::map<std::string, int> rowCounts() const {
        auto conn = db::openConnection(kConnection, app);
        std::map<std::string, int> counts;
        for (auto rs = conn->query("SELECT File_Names FROM [Tervik].dbo.SetupDetails"); !rs.eof();
             rs.moveNext())
            ++counts[rs.field("File_Names").asText()];
        return counts;
    }
    // Every copy of the deploy script under its own name is whole.
    std::vector<std::string> brokenScripts() const {
        std::vector<std::string> out;
        for (const auto& [name, bytes] : test::snapshot(app))
            if (fs::path(name).filename() == "SETUPDETAILS_1.xml" && bytes != script)
                out.push_back(name);
        return out;
    }
};

// By names only: the watch must be quick to catch a file that lives for milliseconds.
bool anyFileStartingWith(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
        if (e.path().filename().string().starts_with(prefix))
            return true;
    return false;
}

struct Point {
    const char* name;
    std::vector<std::string> officeFaults; // for the killed run only
    std::function<bool(SampleDeployment&)> killWhen;
};

std::function<bool(SampleDeployment&)> logged(const char* text) {
    return [text](SampleDeployment& d) { return d.runLog().find(text) != std::string::npos; };
}

// A download writes through a large buffer, so its partial file shows no bytes yet while the
// office stalls; the kill comes once the transfer has been under way a moment.
std::function<bool(SampleDeployment&)> midDownload(std::string partial) {
    auto seen = std::make_shared<std::optional<std::chrono::steady_clock::time_point>>();
    return [partial, seen](SampleDeployment& d) {
        if (!fs::exists(d.app / partial))
            return false;
        if (!*seen)
            *seen = std::chrono::steady_clock::now();
        return std::chrono::steady_clock::now() - **seen > std::chrono::milliseconds(300);
    };
}

const Point kPoints[] = {
    {"ScriptDownloadMidFile",
     {"--stall-after", "SETUPDETAILS_1.xml=200"},
     midDownload("DEPLOY IN/SETUPDETAILS_1.xml.part")},
    {"ScriptImport", {}, logged(">>-Importing data from SETUPDETAILS_1.xml")},
    {"ProgramDownloadMidFile",
     {"--stall-after", "App.zip=131072"},
     midDownload("Tervik/Update/App.zip.part")},
    {"SplitJoin",
     {},
     [](SampleDeployment& d) {
         return fs::exists(tpl::joiningTemporaryFor(d.update / "Big.zip")) ||
                d.runLog().find(">>-Restored Big.zip") != std::string::npos;
     }},
    {"Unpacking",
     {},
     [](SampleDeployment& d) {
         // The member's temporary, or the member itself: written in place, it would be caught
         // half written.
         return anyFileStartingWith(d.update, "~qz") || anyFileStartingWith(d.update, "Big.rpt") ||
                d.runLog().find(">>-Unzipped Big.zip") != std::string::npos;
     }},
    {"FinishingOperation", {}, logged(">>-Started Roll Back for Error")},
};

void PrintTo(const Point& p, std::ostream* os) {
    *os << p.name;
}

struct CrashSafety : ::testing::TestWithParam<Point> {};

TEST_P(CrashSafety, KilledThereTheNextRunCompletesAndNoFileIsHalfWritten) {
    const Point& p = GetParam();
    SampleDeployment d;
    if (!p.officeFaults.empty())
        d.startOffice(p.officeFaults);
    const auto crashed = d.runQuillan([&] { return p.killWhen(d); });
    ASSERT_TRUE(crashed.killed) << "the run ended before the point: " << crashed.log;
    EXPECT_EQ(d.installation(), d.installationBefore);
    EXPECT_THAT(d.broken(true), IsEmpty());
    EXPECT_THAT(d.brokenScripts(), IsEmpty());

    if (!p.officeFaults.empty())
        d.startOffice({});
    const auto next = d.runQuillan();
    EXPECT_EQ(next.exitCode, 1) << next.log;
    EXPECT_THAT(next.log, HasSubstr(">>-Unzipped App.zip"));
    EXPECT_THAT(next.log, HasSubstr(">>-Unzipped Big.zip"));
    EXPECT_THAT(next.log, HasSubstr(">>-Database backup: not built yet in this version"));
    EXPECT_THAT(d.broken(false), IsEmpty());
    EXPECT_THAT(d.temporaries(), IsEmpty());
    EXPECT_EQ(d.installation(), d.installationBefore) << "the replacement phases are not built";
    for (const auto& [name, count] : d.rowCounts())
        EXPECT_EQ(count, 1) << name;
}

INSTANTIATE_TEST_SUITE_P(EachPhase, CrashSafety, ::testing::ValuesIn(kPoints),
                         [](const ::testing::TestParamInfo<Point>& i) { return std::string(i.param.name); });

} // namespace
} // namespace quillan
