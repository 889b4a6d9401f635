// The component registration's tool mode: the system's registration tool, run to its exit code,
// loads the test component built by the same compiler and calls its entry points.
#include "platform/ProgramRunner.h"

#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>
#include <windows.h>

using namespace quillan;
using namespace quillan::test;
namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

fs::path registrationTool() {
    wchar_t folder[MAX_PATH] = {};
    const UINT n = GetSystemDirectoryW(folder, MAX_PATH);
    return n > 0 && n < MAX_PATH ? fs::path(folder) / "regsvr32.exe" : fs::path();
}

} // namespace

TEST(RegistrationTool, RunsTheEntryPointsAndItsExitCodeSaysWhetherTheyAnsweredSuccess) {
    const fs::path tool = registrationTool();
    ASSERT_TRUE(fs::exists(tool)) << tool.string();
    struct Case {
        const char* what;
        std::vector<std::string> arguments;
        const char* registerResult;
        bool succeeds;
    };
    const Case cases[] = {
        {"register answers 0", {"/s", QUILLAN_TEST_COMPONENT}, "0", true},
        {"register answers E_FAIL", {"/s", QUILLAN_TEST_COMPONENT}, "0x80004005", false},
        {"unregister answers 0", {"/s", "/u", QUILLAN_TEST_COMPONENT}, "0x80004005", true},
        {"no entry point", {"/s", QUILLAN_TEST_NOT_A_COMPONENT}, "0", false},
        {"no such library", {"/s", "C:\\quillan-no-such-component.dll"}, "0", false},
    };
    EnvGuard unregister("QUILLAN_TEST_UNREGISTER_RESULT", "0");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        EnvGuard reg("QUILLAN_TEST_REGISTER_RESULT", std::string(k.registerResult));
        const ProgramRun run = runProgram(tool, k.arguments, 60s);
        ASSERT_EQ(run.outcome, ProgramRun::Outcome::Exited) << run.error;
        EXPECT_EQ(run.exitCode == 0, k.succeeds) << run.exitCode;
    }
}
