// The component registration with the stand-in registration tool, the test component's entry
// points and the fake machine: results read and reported, paths with blanks kept whole, the old
// copy registered again when the new one cannot be put in place.
#include "install/Registration.h"
#include "install/Finishing.h"
#include "tests/install/InstallPhasesFixture.h"
#include "tests/platform/TestSupport.h"

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

class Registration : public test::InstallPhasesFixture {
protected:
    const std::string folderText = "App.Path\\Common Files"; // blanks in the component's path
    fs::path folder; // app / "Common Files", once the fixture has made app

    void SetUp() override {
        InstallPhasesFixture::SetUp();
        folder = app / "Common Files";
    }

    void addComponent(const std::string& name) { addReleaseFile(name, folderText, /*reg=*/1); }
    std::string installedText(const std::string& name) const {
        return c->native(c->state.appPath + "\\Common Files\\" + name).string();
    }
};

// The stand-in tool, copied to a folder with blanks and named by QUILLAN_REGISTRATION_TOOL.
class RegistrationByTool : public Registration {
protected:
    fs::path toolLog, tool;
    std::optional<test::EnvGuard> toolPath, logPath;

    void SetUp() override {
        Registration::SetUp();
        toolLog = dir / "tool.log";
        tool = dir / "System Tools" / "regsvr32 stand-in.exe"; // Windows starts only a .exe
        fs::create_directories(tool.parent_path());
        fs::copy_file(QUILLAN_TEST_REGISTRATION_TOOL, tool);
        toolPath.emplace("QUILLAN_REGISTRATION_TOOL", tool.string());
        logPath.emplace("QUILLAN_TEST_TOOL_LOG", toolLog.string());
        useRealMachine();
        setSwitch("AutoConfig1", 1, 1);
    }
};

TEST_F(RegistrationByTool, UnregistersCopiesAndRegistersWithThePathAsOneArgument) {
    addComponent("Comp.dll");
    writeFile(folder / "Comp.dll", "old");
    writeFile(update / "Comp.dll", "new");
    ASSERT_TRUE(RegisterComponents(*c));
    const std::string path = installedText("Comp.dll");
    EXPECT_EQ(readFile(toolLog), "/u|" + path + "\n" + path + "\n");
    EXPECT_EQ(readFile(folder / "Comp.dll"), "new");
    for (const char* line : {">>-Started Unregistering and Registering files ", ">>-Unregistering Comp.dll",
                             ">>-Unregistered Comp.dll", ">>-Registering Comp.dll", ">>-Registered Comp.dll",
                             ">>-Unregistering and Registering files completed"})
        EXPECT_TRUE(logHas(line)) << line;
    EXPECT_FALSE(c->state.run.runFailed);
    EXPECT_EQ(c->state.run.completedPhase, 12);
    EXPECT_TRUE(c->state.run.componentsRegistered);
    EXPECT_EQ(c->model.grid().at(4).link, "Show Register Files");
    EXPECT_EQ(c->model.label(Label::lblRegMessage), ""); // hidden again at the end
}

TEST_F(RegistrationByTool, ANonZeroExitCodeIsReportedAndFailsTheRun) {
    test::EnvGuard exitCode("QUILLAN_TEST_TOOL_EXIT", "3");
    addComponent("Comp.dll");
    writeFile(update / "Comp.dll", "new");
    ASSERT_TRUE(RegisterComponents(*c));
    EXPECT_TRUE(logHas(">>-Registering Comp.dll failed: " + tool.string() + " answered exit code 3"));
    EXPECT_FALSE(logHas(">>-Registered Comp.dll"));
    EXPECT_TRUE(c->state.run.runFailed);
    // The step's checklist row and grid row show the failure, not a completed step.
    EXPECT_TRUE(logHas(">>-Unregistering and Registering files ended with errors"));
    EXPECT_FALSE(logHas(">>-Unregistering and Registering files completed"));
    EXPECT_EQ(c->model.checklist(Row::Registration).status, RowStatus::Failed);
    EXPECT_EQ(c->model.grid().at(4).status, RowStatus::Failed);
    EXPECT_EQ(c->model.label(Label::LblStatus), "Error while registering a component. Check Log for details");
    EXPECT_EQ(c->state.run.completedPhase, 12) << "the run goes on to its completion records";
}

// Direct mode through the real loader and the test component.
class RegistrationByEntryPoints : public Registration {
protected:
    void SetUp() override {
        Registration::SetUp();
        useRealMachine();
        setSwitch("AutoConfig1", 1, 0);
    }
};

TEST_F(RegistrationByEntryPoints, TheEntryPointsAnswerIsRead) {
    struct Case {
        const char* name;
        const char* library;
        std::optional<std::string> registerAnswer;
        std::string expected; // a log line
        bool fails;
    };
    const Case cases[] = {
        {"Good.dll", QUILLAN_TEST_COMPONENT, std::nullopt, ">>-Registered Good.dll", false},
        {"Refuses.dll", QUILLAN_TEST_COMPONENT, "5",
         ">>-Registering Refuses.dll failed: DllRegisterServer answered 5", true},
        {"NoEntry.dll", QUILLAN_TEST_NOT_A_COMPONENT, std::nullopt,
         ">>-Registering NoEntry.dll failed: it has no entry point DllRegisterServer", true},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        conn->execute("DELETE FROM [Tervik].dbo.SetupDetails");
        c->state.run = RunState{};
        addComponent(k.name);
        fs::copy_file(k.library, update / k.name, fs::copy_options::overwrite_existing);
        test::EnvGuard answer("QUILLAN_TEST_REGISTER_RESULT", k.registerAnswer);
        ASSERT_TRUE(RegisterComponents(*c));
        EXPECT_TRUE(logHas(k.expected));
        EXPECT_EQ(c->state.run.runFailed, k.fails);
        EXPECT_TRUE(fs::exists(folder / k.name));
    }
}

// The fake machine: which entry points are called, in which order.
TEST_F(Registration, AFailedCopyAfterTheUnregisterRegistersTheOldCopyAgain) {
    setSwitch("AutoConfig1", 1, 0);
    addComponent("Comp.dll");
    writeFile(folder / "Comp.dll", "old");
    writeFile(backup / "Comp.dll", "old");
    writeFile(update / "Comp.dll", "new");
    machine.lockedCopies = {"Comp.dll"};
    c->state.run.filesBackedUp = true;
    EXPECT_FALSE(RegisterComponents(*c));
    ASSERT_GE(machine.entryCalls.size(), 2u);
    EXPECT_EQ(machine.entryCalls[0].entry, RegistrationEntry::Unregister);
    EXPECT_EQ(machine.entryCalls[1].entry, RegistrationEntry::Register);
    EXPECT_EQ(machine.entryCalls[1].library.string(), installedText("Comp.dll"));
    EXPECT_EQ(readFile(folder / "Comp.dll"), "old");
    EXPECT_TRUE(logHas(">>-Registering the old Comp.dll again"));
    EXPECT_FALSE(logHas(">>-Registered Comp.dll"));
    EXPECT_EQ(c->model.checklist(Row::Registration).status, RowStatus::Failed);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::CompletedWithErrors);
}

// A component only registered again (no new copy) whose registration failed: the run closes with
// its backup copies kept, and the log does not claim that installed files were replaced.
TEST_F(Registration, AFailureWithoutANewCopyIsNotCalledAReplacement) {
    setSwitch("AutoConfig1", 1, 0);
    addComponent("Comp.dll");
    writeFile(folder / "Comp.dll", "old");
    writeFile(backup / "Comp.dll", "old");
    machine.entryResults["Comp.dll"] = {ComponentCall::Outcome::Called, 5, {}};
    c->state.run.filesBackedUp = true;
    EXPECT_TRUE(RegisterComponents(*c));
    EXPECT_TRUE(RollBack(*c));
    EXPECT_TRUE(logHas("the run failed in a phase that replaces installed files, before it replaced one"));
    EXPECT_FALSE(logHas("the run failed after installed files were replaced"));
    EXPECT_EQ(readFile(backup / "Comp.dll"), "old");
}

TEST_F(Registration, NothingToRegister) {
    struct Case {
        const char* name;
        bool switchRow;
        bool componentAnywhere;
        const char* logLine;
    };
    const Case cases[] = {
        {"no switch row: the step is skipped", false, true, nullptr},
        {"a component that exists nowhere is skipped", true, false,
         ">>-Ghost.dll is neither installed nor in the update folder: not registered"},
    };
    addComponent("Ghost.dll");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        conn->execute("DELETE FROM [Tervik].dbo.PexaConfiguration");
        if (k.switchRow)
            setSwitch("AutoConfig1", 1, 0);
        if (k.componentAnywhere)
            writeFile(update / "Ghost.dll", "new");
        else
            fs::remove(update / "Ghost.dll");
        ASSERT_TRUE(RegisterComponents(*c));
        EXPECT_TRUE(machine.entryCalls.empty());
        EXPECT_TRUE(machine.fileOps.empty());
        EXPECT_EQ(c->state.run.completedPhase, 12);
        if (k.logLine) {
            EXPECT_TRUE(logHas(k.logLine));
        }
    }
}

} // namespace
} // namespace quillan
