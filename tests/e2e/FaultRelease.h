#pragma once
// A release for the sample installation, as the office serves it: the deploy script (XML) in
// Master, a ZIP package and a split package in Deploy, and what the installation should hold
// before and after. The installation itself is made by quillan-sample (or its library) against
// the office's address; `install()` then points its folder settings at the office's folders and
// puts the old files in place.
#include "archive/Zip.h"
#include "platform/FileTimes.h"
#include "platform/db/Connection.h"
#include "scripts/TplTemplate.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/support/DeployScriptFiles.h"
#include "tests/support/TempDir.h"
#include "tests/transfer/TransferTestSupport.h"

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace quillan::test {

namespace fs = std::filesystem;

// The sample's own connection string (Dll\Sd.ini), for the test's look at its database.
constexpr const char* kConnection =
    "Provider=SQLite;Data Folder=Data;Data Source=(local);Initial Catalog=Tervik;";

// A name only a temporary of the program carries: a download's ".part" and its record, the
// unpacking's "~qz….part", the join's "~….joining", the safe copy's hidden ".….part".
inline bool isTemporaryName(const std::string& path) {
    const std::string name = fs::path(path).filename().string();
    return name.ends_with(".part") || name.ends_with(".part.info") || name.ends_with(".joining") ||
           name.ends_with(".tmp");
}

struct FaultRelease {
    TempDir base;
    fs::path app = base / "install";
    fs::path office = base / "office";
    fs::path update = app / "Tervik" / "Update";
    std::map<std::string, std::string> published; // packages by name
    std::map<std::string, std::string> unpacked;  // what the unpacking (and the join) put beside them
    std::map<std::string, std::string> installationBefore;
    std::string script;
    bool reportPublished = false;
    // The release's hotfix, recorded in HotFixLog by its last batch as published hotfixes are. A
    // crash may cut it between its batches and the next run runs it again from the first, so its
    // batches are written to run twice (docs/recovery.md: a script that cannot is a gap left open).
    std::string hotfixScript =
        "--[TERVIK HOTFIX VERSION]=4\r\nDELETE FROM [Tervik].dbo.DeploymentMessage "
        "WHERE DStatus = 99\r\nGO\r\nINSERT INTO [Tervik].dbo.HotFixLog VALUES (4)\r\nGO\r\n";

    std::vector<ReleaseRow> rows{row("Tervik.exe", "EXE"), row("4 fix.sql", "sql", 0, 0, 4)};

    // `bigBytes`: the size of the member of the split package.
    explicit FaultRelease(std::size_t bigBytes = 3 * 1024 * 1024) {
        fs::create_directories(office / "Deploy");
        fs::create_directories(office / "Trans");
        publishZip(office / "Deploy" / "App.zip",
                   {{"Tervik.exe", patternBytes(300 * 1024, 3)}, {"4 fix.sql", hotfixScript}});
        publishZip(base / "Big.zip", {{"Big.rpt", patternBytes(bigBytes, 9)}});
        unpacked["Big.zip"] = readFile(base / "Big.zip");
        tpl::splitPackage(base / "Big.zip", office / "Deploy", "Big.tpl", "D:\\Release\\Big.zip",
                          static_cast<std::uint32_t>(bigBytes / 6 + 1));
        for (const auto& e : fs::directory_iterator(office / "Deploy")) {
            const std::string name = e.path().filename().string();
            published[name] = readFile(e.path());
            rows.push_back(row(name, name.ends_with(".tpl") ? "TPL" : "ZIP", published[name].size(),
                               name != "App.zip" ? 1 : 0));
        }
        publishScript();
    }

    // Once the installation is made: its folder settings name the office's folders, and the old
    // files are in place.
    void install() {
        // The office serves each folder below its root: the settings name them with their slash.
        auto conn = db::openConnection(kConnection, app);
        for (const auto& [seqno, folder] : {std::pair{32, "Deploy/"}, {38, "Master/"}, {39, "Trans/"}})
            conn->execute("UPDATE [Tervik].dbo.configuration SET Condition = " + db::sqlQuote(folder) +
                          " WHERE SeqNo = " + std::to_string(seqno));
        // The installation as the release finds it.
        writeFile(app / "Tervik.exe", "the old program");
        writeFile(app / "Reports" / "Sales.rpt", "the old report");
        installationBefore = installation();
    }
    // The report of the split package as a file of the release too, installed in App.Path\Reports:
    // the report replacement then has a file to replace after the hotfix.
    void publishReport() {
        rows.push_back(row("Big.rpt", "RPT", 0, 0, 0, "App.Path\\Reports"));
        publishScript();
        reportPublished = true;
    }
    void publishScript() {
        script = xmlScript(rows);
        writeFile(office / "Master" / "SETUPDETAILS_1.xml", script);
    }
    static ReleaseRow row(const std::string& name, const std::string& ext, std::size_t size = 0,
                          int split = 0, int hotfix = 0, const std::string& path = "App.Path") {
        ReleaseRow r{name, path, "2024-03-01 10:00:00", "", "1", "0"}; // no unpacking date, Status 1
        r.insert(r.end(),
                 {std::to_string(hotfix), "1", std::to_string(size), "0", ext, std::to_string(split)});
        return r;
    }

    void publishZip(const fs::path& archive, const std::map<std::string, std::string>& members) {
        const fs::path staging = base / "staging";
        fs::remove_all(staging);
        cZip z;
        z.ZipFile(archive);
        for (const auto& [name, bytes] : members) {
            writeFile(staging / name, bytes);
            SetFileDate(staging / name, *DateTime::parse("2024-03-05 14:07:09"));
            z.AddFileSpec((staging / name).string());
            unpacked[name] = bytes;
        }
        z.Zip();
    }

    std::string runLog() const { return readFile(app / "Tervik" / "Logs" / "DeployErrlog.log"); }

    // The application's own files, fingerprinted (not the console's work folders, database or logs).
    std::map<std::string, std::string> installation() const {
        auto all = snapshot(app);
        std::erase_if(
            all, [](const auto& f) { return !(f.first == "Tervik.exe" || f.first.starts_with("Reports/")); });
        return fingerprint(all);
    }
    // The installation once the release is in: the new program over the old one.
    std::map<std::string, std::string> installationAfter() const {
        auto after = installationBefore;
        after["Tervik.exe"] = fingerprint({{"Tervik.exe", unpacked.at("Tervik.exe")}}).at("Tervik.exe");
        if (reportPublished)
            after["Reports/Big.rpt"] = fingerprint({{"Big.rpt", unpacked.at("Big.rpt")}}).at("Big.rpt");
        return after;
    }
    // Files of the update folder under a release name whose bytes are not the release's; with
    // `temporariesAllowed` false, temporary names too.
    std::vector<std::string> broken(bool temporariesAllowed) const {
        std::map<std::string, std::string> expected = published;
        expected.insert(unpacked.begin(), unpacked.end());
        return strayFiles(snapshot(update), expected, temporariesAllowed ? isTemporaryName : nullptr);
    }
    // Temporary names anywhere in the installation.
    std::vector<std::string> temporaries() const {
        std::vector<std::string> out;
        for (const auto& [name, bytes] : snapshot(app))
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
    // The closed run's marks: the release rows still in progress (Status 1), and the completion
    // record of this system's version.
    long long rowsInProgress() const { return countOf("SetupDetails WHERE Status = 1"); }
    long long versionRecords() const { return countOf("DeploymentVesrion"); }
    long long countOf(const std::string& tableAndCondition) const {
        auto conn = db::openConnection(kConnection, app);
        return conn->query("SELECT COUNT(*) AS N FROM [Tervik].dbo." + tableAndCondition).field("N").asInt();
    }
    // Every copy of the deploy script under its own name is whole.
    std::vector<std::string> brokenScripts() const {
        std::vector<std::string> out;
        for (const auto& [name, bytes] : snapshot(app))
            if (fs::path(name).filename() == "SETUPDETAILS_1.xml" && bytes != script)
                out.push_back(name);
        return out;
    }
};

} // namespace quillan::test
