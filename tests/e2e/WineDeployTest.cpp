// Whole deployments by the Windows build under Wine (tools/windows-tests.sh runs this program with
// QUILLAN_WINDOWS_BIN and QUILLAN_WINDOWS_TESTS naming the Windows build's folders): quillan.exe and
// quillan-sample.exe on the embedded engine, against this build's quillan-office, the loopback FTP
// server and the LAN share. The release's program and component are real Windows files: the test
// helper program, which runs under Wine while the release replaces it, and the test component,
// registered through Wine's own regsvr32. A file held open without sharing fails a run, which puts
// everything back; the next run installs the release and the one after finds it applied. The
// distributable's own quillan.exe, unpacked from the zip, deploys a signed release.
#include "platform/db/Connection.h"
#include "tests/e2e/WholeRelease.h"
#include "tests/transfer/TransferTestSupport.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>

namespace quillan::test {
namespace {

using ::testing::HasSubstr;

fs::path windowsTests() {
    const char* dir = std::getenv("QUILLAN_WINDOWS_TESTS");
    return dir != nullptr ? fs::path(dir) : fs::path();
}

// A file of the Windows build's platform tests whose name ends as given (MinGW puts "lib" before
// a module's name).
std::string windowsTestFile(const std::string& ending) {
    for (const auto& e : fs::directory_iterator(windowsTests()))
        if (e.path().filename().string().ends_with(ending))
            return readFile(e.path());
    throw std::runtime_error("no " + ending + " in " + windowsTests().string());
}

// A Windows program started under Wine from this process; ended at the end.
struct WineProgram : Child {
    WineProgram(const std::vector<std::string>& args, const fs::path& output)
        : Child(underWine(args), output) {}
    static std::vector<std::string> underWine(std::vector<std::string> args) {
        args.insert(args.begin(), "wine");
        return args;
    }
    bool endedWithin(int seconds) {
        return waitFor([&] { return exited().has_value(); }, std::chrono::seconds(seconds));
    }
};

// Release 8 with a real program (the helper) and a real component (the test DLL); release 7's
// copies carry one more byte, which Windows' loader ignores.
struct WindowsRelease : WholeRelease {
    fs::path componentLog = scratch / "component.log";
    EnvGuard systemTool{"QUILLAN_REGISTRATION_TOOL", std::nullopt}; // Wine's regsvr32
    EnvGuard log{"QUILLAN_TEST_COMPONENT_LOG", consolePathText(componentLog)};

    WindowsRelease() {
        const std::string helper = windowsTestFile("quillan_test_helper.exe");
        const std::string component = windowsTestFile("quillan_test_component.dll");
        files["Tervik.exe"] = {"Tervik.exe", helper + "7", helper};
        files["TervikCtl.ocx"] = {"TervikCtl.ocx", component + "7", component};
        for (const char* name : {"Tervik.exe", "TervikCtl.ocx"})
            writeDated(source / name, files[name].newBytes, kNewTime);
    }
    static std::string consolePathText(const fs::path& p) {
        std::string text = consolePath(p);
        return text.substr(1, text.size() - 2); // without the shell's quotes
    }
};

void expectAsBefore(const WholeRelease& r, const SampleInstall& inst) {
    for (const auto& [name, f] : r.files) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(readFile(inst.dir / f.installedAt) == f.oldBytes);
        EXPECT_EQ(WholeRelease::timeOf(inst.dir / f.installedAt), WholeRelease::kOldTime);
    }
    EXPECT_EQ(inst.rows("SELECT COUNT(*) FROM [Tervik].dbo.HotFixLog"), std::vector<std::string>{"0"});
}

class WineDeploy : public ::testing::Test {
protected:
    void SetUp() override {
        if (windowsBin() == nullptr || windowsTests().empty())
            GTEST_SKIP() << "QUILLAN_WINDOWS_BIN and QUILLAN_WINDOWS_TESTS name no Windows build";
        // Wine's first program starts its services, which inherit that program's output and keep
        // it open: started here on /dev/null, they never hold the pipe a case reads to its end.
        static const bool started = runCommand("wineboot >/dev/null 2>&1").code == 0;
        ASSERT_TRUE(started) << "wineboot failed";
    }
};

// Over HTTP with the web service and an XML script: the release's program runs (its own file is
// the one replaced) and is closed after the answer, the component is registered by regsvr32, the
// hotfix runs; the second run finds the release applied.
TEST_F(WineDeploy, HttpXmlClosesTheRunningProgramRegistersAndThenFindsTheReleaseApplied) {
    WindowsRelease release;
    ASSERT_EQ(release.publish("xml", false).code, 0);
    ServedRelease served(release, "http");
    SampleInstall inst(served.options);
    release.putOldFiles(inst);
    WineProgram running({(inst.dir / "Tervik.exe").string(), "sleep", "120"}, inst.base / "running.out");
    std::this_thread::sleep_for(std::chrono::seconds(2)); // until Wine lists it

    const CommandResult first = inst.run("--answer close=yes");
    ASSERT_EQ(first.code, 0) << first.out << inst.runLog();
    EXPECT_THAT(first.out, HasSubstr("Close the Tervik.exe to continue Quillan -> Yes"));
    EXPECT_TRUE(running.endedWithin(10));
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst);
    EXPECT_EQ(readFile(release.componentLog), "DllUnregisterServer\nDllRegisterServer\n");
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Registered TervikCtl.ocx"));

    const CommandResult second = inst.run();
    EXPECT_EQ(second.code, 8) << second.out;
    EXPECT_THAT(second.out, HasSubstr("Updates Completed successfully"));
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst);
}

// Over FTP with a CSV script, from the LAN share (the server machine's run recorded in the shared
// database), and over HTTP with an Excel script (read through the system's structured storage and
// freexl): the release installed, then found applied.
TEST_F(WineDeploy, FtpCsvTheLanShareAndAnExcelScriptInstallTheRelease) {
    const std::vector<std::pair<std::string, std::string>> ways{
        {"ftp", "csv"}, {"lan", "xml"}, {"http", "xls"}};
    for (const auto& [mode, format] : ways) {
        SCOPED_TRACE(mode + " " + format);
        WindowsRelease release;
        ASSERT_EQ(release.publish(format, false).code, 0);
        ServedRelease served(release, mode, format);
        SampleInstall inst(served.options);
        release.putOldFiles(inst);
        std::string answers;
        if (mode == "lan") {
            release.asTheServerMachineLeftIt(inst, "Master/SETUPDETAILS_000008.xml");
            answers = "--answer server=yes";
        }
        const CommandResult first = inst.run(answers);
        ASSERT_EQ(first.code, 0) << first.out << inst.runLog();
        release.expectInstalled(inst);
        WholeRelease::expectRecorded(inst, mode != "lan");
        const CommandResult second = inst.run(answers);
        EXPECT_EQ(second.code, 8) << second.out;
        EXPECT_THAT(second.out, HasSubstr("Updates Completed successfully"));
    }
}

// A report held open by another program without sharing: the run fails and puts back what it
// changed (files byte for byte with their times, no hotfix recorded); once the file is free, the
// next run installs the release.
TEST_F(WineDeploy, AFileHeldOpenFailsTheRunWhichPutsEverythingBack) {
    WindowsRelease release;
    ASSERT_EQ(release.publish("xml", false).code, 0);
    ServedRelease served(release, "http");
    SampleInstall inst(served.options);
    release.putOldFiles(inst);
    {
        const fs::path helper = inst.base / "Holder.exe";
        writeFile(helper, windowsTestFile("quillan_test_helper.exe"));
        WineProgram holder({helper.string(), "hold",
                            WindowsRelease::consolePathText(inst.dir / "Reports" / "Sales.rpt"), "120"},
                           inst.base / "holder.out");
        std::this_thread::sleep_for(std::chrono::seconds(2));

        const CommandResult failed = inst.run("--answer close=yes");
        // A failed run the finishing operation closed and put back: "failed and put back".
        EXPECT_EQ(failed.code, 3) << failed.out << inst.runLog();
        EXPECT_THAT(inst.runLog(), HasSubstr("Reports\\Sales.rpt: ")); // the system's reason follows
        EXPECT_THAT(inst.runLog(), HasSubstr(">>-Roll Back for Error completed"));
        expectAsBefore(release, inst);
    }
    const CommandResult next = inst.run("--answer close=yes");
    ASSERT_EQ(next.code, 0) << next.out << inst.runLog();
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst);
}

// The distributable as a distributor unpacks it (QUILLAN_WINDOWS_PACKAGE names the unpacked zip):
// its quillan.exe deploys the demo's release, signed by the office and trusted by the
// installation, headless; every package is checked against the signed manifest and the release
// is installed and recorded.
TEST_F(WineDeploy, TheUnpackedDistributableDeploysTheSignedDemoRelease) {
    const char* unpacked = std::getenv("QUILLAN_WINDOWS_PACKAGE");
    if (unpacked == nullptr || *unpacked == '\0')
        GTEST_SKIP() << "QUILLAN_WINDOWS_PACKAGE names no unpacked distributable";
    const fs::path program = fs::path(unpacked) / "quillan.exe";
    ASSERT_TRUE(fs::exists(program)) << program;
    WindowsRelease release;
    const fs::path keys = release.scratch / "keys";
    const std::string tool = shellQuote((binaryFolder() / "quillan-release").string());
    ASSERT_EQ(runCommand(tool + " keygen " + shellQuote(keys.string())).code, 0);
    const CommandResult published =
        release.publish("xml", false, "--sign " + shellQuote((keys / "office.key").string()));
    ASSERT_EQ(published.code, 0) << published.out;
    ServedRelease served(release, "http");
    SampleInstall inst(served.options + " --trust " + consolePath(keys / "office.pub"));
    release.putOldFiles(inst);

    const CommandResult run = runCommand("wine " + shellQuote(program.string()) + " --app-dir " +
                                         consolePath(inst.dir) + " --headless --answer close=yes");
    ASSERT_EQ(run.code, 0) << run.out << inst.runLog();
    EXPECT_THAT(inst.runLog(), HasSubstr(">>-Every package matches the signed manifest of its release"));
    release.expectInstalled(inst);
    WholeRelease::expectRecorded(inst);
}

} // namespace
} // namespace quillan::test
