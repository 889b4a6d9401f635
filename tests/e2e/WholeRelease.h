#pragma once
// Release 8 of new files built by quillan-release at the central office, and an installation made
// by quillan-sample holding release 7's files: a program, a report in the Reports folder, another
// file (its name holds an apostrophe), a component to register and a hotfix script that leaves its
// own mark (a table, a row and its HotFixLog row). The registration tool is the tests' stand-in,
// which logs its calls. The office serves it over HTTP with the web service, over FTP, or (to a
// LAN client) the packages lie on the share.
#include "platform/DateTime.h"
#include "platform/FileTimes.h"
#include "platform/db/Connection.h" // sqlQuote
#include "tests/e2e/Executables.h"
#include "tests/platform/TestSupport.h" // EnvGuard
#include "tests/support/Files.h"
#include "tests/transfer/TransferTestSupport.h" // FtpTestServer

#include <map>
#include <optional>
#include <string>

namespace quillan::test {

struct ReleaseFileOf {
    std::string installedAt; // below the program folder
    std::string oldBytes, newBytes;
};

struct WholeRelease {
    static constexpr const char* kOldTime = "2024-01-15 09:00:00";
    static constexpr const char* kNewTime = "2024-06-01 12:00:00";
    static constexpr const char* kHotfix = "HF801.sql";

    TempDir scratch{"quillan-e2e-whole"};
    fs::path source = scratch / "new";
    fs::path root = scratch / "office";
    fs::path toolLog = scratch / "registration.log";
    EnvGuard tool{"QUILLAN_REGISTRATION_TOOL", std::string(QUILLAN_TEST_REGISTRATION_TOOL)};
    EnvGuard toolLogPath{"QUILLAN_TEST_TOOL_LOG", toolLog.string()};
    std::string program;                        // the release's program's name
    std::map<std::string, ReleaseFileOf> files; // the release's files (the hotfix aside) by name

    // `program` names the release's program, so that a case can run one under its own name.
    explicit WholeRelease(std::string programName = "Tervik.exe") : program(std::move(programName)) {
        files = {{program, {program, "Tervik 7\n", "Tervik 8\n"}},
                 {"Sales.rpt", {"Reports/Sales.rpt", "Sales report 7\n", "Sales report 8\n"}},
                 {"O'Neil.txt", {"O'Neil.txt", "Read me, release 7\n", "Read me, release 8\n"}},
                 {"TervikCtl.ocx", {"TervikCtl.ocx", "component 7\n", "component 8\n"}}};
        for (const auto& [name, f] : files)
            writeDated(source / name, f.newBytes, kNewTime);
        writeDated(source / kHotfix,
                   "--[TERVIK HOTFIX VERSION]=801\r\n"
                   "CREATE TABLE ReleaseNotes (Version INT, Note VARCHAR(100))\r\nGO\r\n"
                   "INSERT INTO ReleaseNotes VALUES (8, 'Sales report by region')\r\n"
                   "INSERT INTO HotFixLog (FixId) VALUES (801)\r\nGO\r\n",
                   kNewTime);
    }

    // quillan-release SOURCE OFFICE in the deploy-script format, into the folders the sample's
    // settings name, with further quillan-release options (a signing key); the message of a
    // refusal when it fails.
    CommandResult publish(const std::string& format, bool zipped, const std::string& options = "") const {
        return runCommand(shellQuote((binaryFolder() / "quillan-release").string()) + " " +
                          shellQuote(source.string()) + " " + shellQuote(root.string()) +
                          " --version 8 --format " + format + (zipped ? " --zip-scripts" : "") +
                          " --report-path 'App.Path\\Reports' --register TervikCtl.ocx " + options);
    }

    // Release 7's files in the installation, dated before the release.
    void putOldFiles(const SampleInstall& inst) const {
        for (const auto& [name, f] : files)
            writeDated(inst.dir / f.installedAt, f.oldBytes, kOldTime);
    }
    // A LAN client takes what the server machine left after its own run: the release's script
    // (`script`, below the office's root) imported into the shared database with every size
    // downloaded, the hotfix recorded, the packages on the share.
    void asTheServerMachineLeftIt(const SampleInstall& inst, const std::string& script) const {
        for (const auto& e : fs::directory_iterator(root / "Deploy"))
            fs::copy_file(e.path(), inst.dir / "LanShare" / e.path().filename());
        inst.sql("EXEC [Tervik].dbo.Proc_ImpSetupDetails " + db::sqlQuote(readFile(root / script)));
        inst.sql("UPDATE [Tervik].dbo.SetupDetails SET DownloadFileSize = UploadFileSize");
        inst.sql("INSERT INTO [Tervik].dbo.HotFixLog VALUES (801)");
    }
    // Every file of the release in place with its new bytes and the time it had at the office.
    void expectInstalled(const SampleInstall& inst) const {
        for (const auto& [name, f] : files) {
            EXPECT_TRUE(readFile(inst.dir / f.installedAt) == f.newBytes) << name; // bytes may be a program
            EXPECT_EQ(timeOf(inst.dir / f.installedAt), kNewTime) << name;
        }
    }
    // The hotfix ran once (here, or on the server machine of a LAN client) and left its mark;
    // every row of the release is finished (Status 3).
    static void expectRecorded(const SampleInstall& inst, bool hotfixRanHere = true) {
        EXPECT_EQ(inst.rows("SELECT FixId FROM [Tervik].dbo.HotFixLog"), std::vector<std::string>{"801"});
        if (hotfixRanHere) {
            EXPECT_EQ(inst.rows("SELECT Version, Note FROM [Tervik].dbo.ReleaseNotes"),
                      std::vector<std::string>{"8\tSales report by region"});
        }
        EXPECT_EQ(inst.rows("SELECT COUNT(*) FROM [Tervik].dbo.SetupDetails WHERE Status <> 3"),
                  std::vector<std::string>{"0"});
    }

    static void writeDated(const fs::path& file, const std::string& bytes, const char* time) {
        writeFile(file, bytes);
        SetFileDate(file, *DateTime::parse(time));
    }
    static std::string timeOf(const fs::path& file) {
        DateTime t;
        return GetFileDate(file, t) == 0 ? t.iso() : "(no time)";
    }
};

// The release served as `mode` ("http", "ftp" or "lan") takes it, over TLS when given the
// office's certificate; `options` are quillan-sample's for it. A LAN client takes the packages
// from the share, and the office answers its connection check.
struct ServedRelease {
    std::optional<OfficeProcess> office;
    std::optional<FtpTestServer> ftp;
    std::string options;

    ServedRelease(const WholeRelease& r, const std::string& mode, const std::string& format = "xml",
                  bool zipped = false) {
        options = "--mode " + mode + " --format " + format + (zipped ? " --zipped" : "") + " --server-path ";
        if (mode == "ftp") {
            ftp.emplace(r.root, std::vector<std::string>{"--user", "quillan", "--password", "sample"});
            options += ftp->address();
        } else {
            office.emplace(r.root, r.scratch / "port");
            options += office->serverPath();
        }
    }
};

} // namespace quillan::test
