// Trusted releases over the built executables: release 8 signed with the office's key (made by
// quillan-release keygen), served by quillan-office, on an installation that trusts the key
// (quillan-sample --trust). Each attack on the way from the office is a real headless run that
// must end with exit code 7 and the refusal named, the installation (every file below the program
// folder, bytes and times) and the application's data as they were, the refused file gone from
// the work folders; a release signed as it should be installs.
#include "platform/db/Connection.h"
#include "tests/e2e/FolderSnapshot.h"
#include "tests/e2e/WholeRelease.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;

// A run leaves these below the program folder: the database, the run log, the work folders, the
// HTTP connection check's probe and the run lock's file.
bool isWorkArea(const std::string& relative) {
    for (const char* top :
         {"Data/", "Tervik/", "DEPLOY", "TEMPEXTRACT", "UploadBackup/", "Test.log", "Quillan.lock"})
        if (relative.rfind(top, 0) == 0)
            return true;
    return false;
}

struct SignedOffice {
    WholeRelease release;
    fs::path keys = release.scratch / "keys";
    std::optional<SampleInstall> inst;

    SignedOffice() {
        const auto made = tool("keygen " + shellQuote(keys.string()));
        if (made.code != 0)
            throw std::runtime_error(made.out);
    }
    static CommandResult tool(const std::string& args) {
        return runCommand(shellQuote((binaryFolder() / "quillan-release").string()) + " " + args);
    }
    // quillan-release for `version` of the source into `root`, signed with `key` (the office's).
    CommandResult publish(int version, const std::string& extra = "", std::optional<fs::path> root = {},
                          std::optional<fs::path> key = {}) const {
        return tool(shellQuote(release.source.string()) + " " +
                    shellQuote(root.value_or(release.root).string()) + " --version " +
                    std::to_string(version) +
                    " --report-path 'App.Path\\Reports' --register TervikCtl.ocx"
                    " --sign " +
                    shellQuote(key.value_or(keys / "office.key").string()) + " " + extra);
    }
    std::optional<ServedRelease> served;
    // Over HTTP with the web service from quillan-office, from the FTP server, or (a client of
    // another machine's database) from the LAN share, the office answering the connection check.
    void serve(const std::string& mode = "http") {
        served.emplace(release, mode);
        inst.emplace(served->options + " --trust " + shellQuote((keys / "office.pub").string()));
        release.putOldFiles(*inst);
    }
    fs::path office_(const std::string& relative) const { return release.root / relative; }

    // The installation with each file's time, and the application's data a run may change.
    std::map<std::string, std::string> installation() const {
        std::map<std::string, std::string> out;
        for (const auto& [name, print] : fingerprint(snapshot(inst->dir)))
            if (!isWorkArea(name))
                out[name] = print + " " + WholeRelease::timeOf(inst->dir / name);
        return out;
    }
    std::vector<std::string> data(bool withReleaseRows) const {
        auto rows = inst->rows("SELECT FixId FROM [Tervik].dbo.HotFixLog ORDER BY FixId");
        for (const auto& r :
             inst->rows("SELECT name FROM [Tervik].dbo.sysobjects WHERE xtype = 'U' AND name IN "
                        "('ReleaseNotes', 'AppliedRelease') ORDER BY name"))
            rows.push_back("table " + r);
        const std::string setup = withReleaseRows ? "File_Names, Status, DownloadFileSize" : "COUNT(*)";
        for (const auto& r : inst->rows("SELECT " + setup + " FROM [Tervik].dbo.SetupDetails" +
                                        (withReleaseRows ? " ORDER BY File_Names" : " WHERE Status <> 1")))
            rows.push_back("row " + r);
        return rows;
    }
    std::vector<std::string> workFiles() const {
        std::vector<std::string> out;
        for (const auto& [name, bytes] : snapshot(inst->dir))
            if (isWorkArea(name) && (name.rfind("DEPLOY", 0) == 0 || name.rfind("Tervik/Update/", 0) == 0))
                out.push_back(name);
        return out;
    }

    // A run that must be refused naming `file` and `reason`, with nothing changed.
    void expectRefused(const std::string& file, const std::string& reason, bool scriptRefused,
                       const std::string& answers = "--answer continue=yes --answer close=yes") {
        const auto filesBefore = installation();
        const auto dataBefore = data(scriptRefused);
        const CommandResult r = inst->run(answers);
        EXPECT_EQ(r.code, 7) << r.out << inst->runLog();
        EXPECT_THAT(inst->runLog(), HasSubstr(">>-Release refused: " + file + ": " + reason));
        EXPECT_THAT(r.out, HasSubstr("Exit code 7"));
        EXPECT_EQ(installation(), filesBefore);
        EXPECT_EQ(data(scriptRefused), dataBefore);
        for (const auto& name : workFiles())
            EXPECT_EQ(name.find("/" + file), std::string::npos) << name << " was refused but kept";
    }
};

struct Attack {
    const char* name;
    std::string file, reason;
    bool onScript;
    std::function<void(SignedOffice&)> make; // publishes and tampers
};
void PrintTo(const Attack& a, std::ostream* os) {
    *os << a.name;
}

// Flips a byte in the middle of a file: its size stays.
void rewriteKeepingSize(const fs::path& file) {
    std::string bytes = readFile(file);
    bytes[bytes.size() / 2] = static_cast<char>(bytes[bytes.size() / 2] ^ 0x20);
    writeFile(file, bytes);
}

class SignedReleaseAttack : public ::testing::TestWithParam<Attack> {};

TEST_P(SignedReleaseAttack, IsRefusedBeforeAnythingChanges) {
    SignedOffice o;
    GetParam().make(o);
    o.serve();
    o.expectRefused(GetParam().file, GetParam().reason, GetParam().onScript);
}

INSTANTIATE_TEST_SUITE_P(
    EachAttack, SignedReleaseAttack,
    ::testing::Values(
        Attack{"PackageRewrittenWithTheSameSize", "Release8.zip",
               "its SHA-256 does not match the signed manifest", false,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8).code, 0);
                   rewriteKeepingSize(o.office_("Deploy/Release8.zip"));
               }},
        Attack{"DeployScriptAltered", "SETUPDETAILS_000008.xml",
               "its SHA-256 does not match the signed manifest", true,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8).code, 0);
                   const fs::path script = o.office_("Master/SETUPDETAILS_000008.xml");
                   std::string text = readFile(script);
                   text.replace(text.find("App.Path\\Reports"), 16, "C:\\Windows\\Temp\\"); // the same size
                   writeFile(script, text);
               }},
        Attack{"PieceOfASplitPackageSwapped", "Release8.zip.001",
               "its SHA-256 does not match the signed manifest", false,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8, "--split-size 300").code, 0);
                   const std::string one = readFile(o.office_("Deploy/Release8.zip.001"));
                   writeFile(o.office_("Deploy/Release8.zip.001"),
                             readFile(o.office_("Deploy/Release8.zip.002")));
                   writeFile(o.office_("Deploy/Release8.zip.002"), one);
               }},
        Attack{"ManifestSignedByAnUnknownKey", "SETUPDETAILS_000008.xml",
               "the manifest is signed by a key this installation does not trust", true,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8).code, 0);
                   const fs::path other = o.release.scratch / "stranger";
                   ASSERT_EQ(SignedOffice::tool("keygen " + shellQuote(other.string())).code, 0);
                   fs::remove(o.office_("Master/SETUPDETAILS_000008.xml.manifest"));
                   ASSERT_EQ(o.publish(8, "", {}, other / "office.key").code, 0);
               }},
        Attack{"ManifestForAnotherDistributor", "D0001_SETUPDETAILS_000008.xml",
               "its manifest is for distributor D0002, not for D0001", true,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8, "--distributor D0002").code, 0);
                   for (const char* suffix : {"", ".manifest"})
                       fs::rename(o.office_(std::string("Trans/D0002_SETUPDETAILS_000008.xml") + suffix),
                                  o.office_(std::string("Trans/D0001_SETUPDETAILS_000008.xml") + suffix));
               }},
        Attack{"ExpiredManifest", "SETUPDETAILS_000008.xml", "its manifest expired on 2020-01-02T00:00:00Z",
               true,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8, "--issued 2020-01-01T00:00:00Z --expires-days 1").code, 0);
               }},
        Attack{"PackageOfAnotherRelease", "Tervik.zip", "its SHA-256 does not match the signed manifest",
               false,
               [](SignedOffice& o) {
                   ASSERT_EQ(o.publish(8, "--package Tervik.zip").code, 0);
                   // Release 9 of the same package name, its package served under release 8's script.
                   WholeRelease::writeDated(o.release.source / "O'Neil.txt", "Read me, release 9\n",
                                            WholeRelease::kNewTime);
                   const fs::path nine = o.release.scratch / "nine";
                   ASSERT_EQ(o.publish(9, "--package Tervik.zip", nine).code, 0);
                   fs::copy_file(nine / "Deploy/Tervik.zip", o.office_("Deploy/Tervik.zip"),
                                 fs::copy_options::overwrite_existing);
               }}),
    [](const auto& attack) { return std::string(attack.param.name); });

// Release 9, signed and applied; then release 8, signed too, is served again: refused.
TEST(SignedRelease, InstallsAndAnOlderOneServedAfterItIsRefused) {
    SignedOffice o;
    ASSERT_EQ(o.publish(9).code, 0);
    o.serve();
    const CommandResult nine = o.inst->run("--answer continue=yes --answer close=yes");
    ASSERT_EQ(nine.code, 0) << nine.out << o.inst->runLog();
    EXPECT_THAT(o.inst->runLog(), HasSubstr(">>-Every package matches the signed manifest of its release"));
    EXPECT_EQ(readFile(o.inst->dir / "Tervik.exe"), "Tervik 8\n");
    EXPECT_EQ(o.inst->rows("SELECT MAX(VersionNo) FROM [Tervik].dbo.AppliedRelease"),
              std::vector<std::string>{"9"});

    ASSERT_EQ(o.publish(8).code, 0);
    o.expectRefused("SETUPDETAILS_000008.xml", "it is release 8, not newer than release 9 already applied",
                    true);
}

// Over FTP the manifest comes from the script's listing; a changed package is refused there too.
TEST(SignedRelease, OverFtpInstallsWhatIsSignedAndRefusesAChangedPackage) {
    SignedOffice o;
    ASSERT_EQ(o.publish(8).code, 0);
    const fs::path last = o.office_("Deploy/Release8.zip");
    const std::string published = readFile(last);
    rewriteKeepingSize(last);
    o.serve("ftp");
    o.expectRefused("Release8.zip", "its SHA-256 does not match the signed manifest", false);
    writeFile(last, published);
    const CommandResult r = o.inst->run("--answer continue=yes --answer close=yes");
    EXPECT_EQ(r.code, 0) << r.out << o.inst->runLog();
    EXPECT_EQ(readFile(o.inst->dir / "Tervik.exe"), "Tervik 8\n");
}

// A client of another machine's database: the server machine imported the script `script` (of
// the office's folders) and ran the release (its hotfix and, in that database, the release it
// applied); the package and the script's manifest lie on the share. Answers the share.
constexpr const char* kLanAnswers = "--answer server=yes --answer continue=yes --answer close=yes";
fs::path lanClient(SignedOffice& o, const std::string& script, int appliedOnTheServer) {
    o.serve("lan");
    const fs::path share = o.inst->dir / "LanShare";
    o.release.asTheServerMachineLeftIt(*o.inst, script);
    fs::copy_file(o.office_(script + ".manifest"),
                  share / (fs::path(script).filename().string() + ".manifest"));
    o.inst->sql("CREATE TABLE [Tervik].dbo.AppliedRelease (VersionNo INT, AppliedOn DATETIME)");
    o.inst->sql("INSERT INTO [Tervik].dbo.AppliedRelease VALUES (" + std::to_string(appliedOnTheServer) +
                ", GETDATE())");
    return share;
}

// The client takes the share's manifests only as the script download takes a script's: for its
// distributor (or every one), not expired, not older than the release already applied.
TEST(SignedRelease, FromTheLanShareAManifestTheScriptDownloadWouldRefuseVouchesForNothing) {
    const struct {
        const char* name;
        std::string options, script;
        int applied;
        std::string reason;
    } cases[] = {
        {"expired", "--issued 2020-01-01T00:00:00Z --expires-days 1", "Master/SETUPDETAILS_000008.xml", 7,
         "its manifest expired on 2020-01-02T00:00:00Z"},
        {"another distributor", "--distributor D0002 --package Release8.zip",
         "Trans/D0002_SETUPDETAILS_000008.xml", 7,
         "its manifest is for distributor D0002, not for D0001 or every distributor"},
        {"older release", "", "Master/SETUPDETAILS_000008.xml", 9,
         "it is release 8, older than release 9 already applied"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        SignedOffice o;
        ASSERT_EQ(o.publish(8, k.options).code, 0);
        lanClient(o, k.script, k.applied);
        o.expectRefused("Release8.zip", k.reason, false, kLanAnswers);
    }
}

// The packages are checked against the manifests on the share: one changed there is refused. The
// release the server machine applied first still installs on the client.
TEST(SignedRelease, FromTheLanShareChecksThePackagesAgainstTheManifestsThere) {
    SignedOffice o;
    ASSERT_EQ(o.publish(8).code, 0);
    const fs::path share = lanClient(o, "Master/SETUPDETAILS_000008.xml", 8);
    rewriteKeepingSize(share / "Release8.zip");
    o.expectRefused("Release8.zip", "its SHA-256 does not match the signed manifest", false, kLanAnswers);

    fs::copy_file(o.office_("Deploy/Release8.zip"), share / "Release8.zip",
                  fs::copy_options::overwrite_existing);
    const CommandResult r = o.inst->run(kLanAnswers);
    EXPECT_EQ(r.code, 0) << r.out << o.inst->runLog();
    EXPECT_EQ(readFile(o.inst->dir / "Tervik.exe"), "Tervik 8\n");
}

// A script without its manifest is refused, and the refusal loses nothing: once the office
// publishes the manifest, the next run installs the release.
TEST(SignedRelease, ARefusedScriptIsFetchedAgainOnceTheOfficeSetsItRight) {
    SignedOffice o;
    ASSERT_EQ(o.publish(8).code, 0);
    const fs::path manifest = o.office_("Master/SETUPDETAILS_000008.xml.manifest");
    const std::string signature = readFile(manifest);
    fs::remove(manifest);
    o.serve();
    o.expectRefused("SETUPDETAILS_000008.xml", "no signed release manifest came with it", true);
    writeFile(manifest, signature);
    const CommandResult r = o.inst->run("--answer continue=yes --answer close=yes");
    EXPECT_EQ(r.code, 0) << r.out << o.inst->runLog();
    EXPECT_EQ(readFile(o.inst->dir / "Tervik.exe"), "Tervik 8\n");
}

} // namespace
} // namespace quillan::test
