// The console holds the machine it is given, and the fake machine the phase tests use behaves as
// the real one does where the phases depend on it.
#include "TestInstall.h"

using namespace quillan;
using namespace quillan::test;
using namespace std::chrono_literals;

TEST(ConsoleMachine, AConsoleUsesTheMachineItIsGivenOrElseThisMachine) {
    FakeInstall inst;
    auto onFake = inst.console();
    EXPECT_EQ(&onFake->os, &inst.machine());
    Console onReal(inst.program, inst.op);
    EXPECT_EQ(&onReal.os, &realMachine());
    EXPECT_NE(dynamic_cast<RealMachine*>(&onReal.os), nullptr);
}

TEST(FakeMachinePrograms, EndsByExactNameIgnoringCaseRecordsKillsAndKeepsOneThatRefuses) {
    FakeMachine m;
    const auto tervik = m.start("Tervik.EXE");
    const auto mine = m.start("MyTervik.exe");
    const auto stubborn = m.start("Stubborn.exe", true);
    EXPECT_TRUE(m.isRunning("tervik.exe"));
    EXPECT_FALSE(m.isRunning("ervik.exe")); // the end of a name is not the name

    EXPECT_TRUE(m.endProgram("tervik.exe", 1s));
    EXPECT_FALSE(m.isRunning("Tervik.EXE"));
    EXPECT_TRUE(m.isRunning("MyTervik.exe"));
    EXPECT_FALSE(m.endProgram("STUBBORN.EXE", 1s));
    EXPECT_TRUE(m.isRunning("Stubborn.exe"));
    EXPECT_EQ(m.killed, (std::vector<std::uint32_t>{tervik, stubborn}));
    EXPECT_EQ(m.endRequests, (std::vector<std::string>{"tervik.exe", "STUBBORN.EXE"}));
    EXPECT_NE(mine, tervik);
}

TEST(FakeMachineRuns, RecordsEachRunAnswersTheScriptInOrderAndLetsTheWindowRepaint) {
    FakeMachine m;
    m.scriptedRuns.push_back({ProgramRun::Outcome::Exited, 3, {}});
    m.entryResults["Broken.dll"] = {ComponentCall::Outcome::MissingEntryPoint, 0,
                                    "DllRegisterServer not found"};
    int repaints = 0;
    EXPECT_EQ(m.runProgram("regsvr32", {"/u", "C:\\A B\\x.dll"}, 1s, [&] { ++repaints; }).exitCode, 3);
    EXPECT_EQ(m.runProgram("regsvr32", {"y.dll"}, 1s, {}).exitCode, 0); // script used up
    ASSERT_EQ(m.runs.size(), 2u);
    EXPECT_EQ(m.runs[0].arguments, (std::vector<std::string>{"/u", "C:\\A B\\x.dll"}));
    EXPECT_EQ(repaints, 1);
    EXPECT_TRUE(m.callRegistrationEntry("/t/Good.dll", RegistrationEntry::Register).succeeded());
    EXPECT_EQ(m.callRegistrationEntry("/t/Broken.dll", RegistrationEntry::Register).outcome,
              ComponentCall::Outcome::MissingEntryPoint);
    EXPECT_EQ(m.entryCalls.size(), 2u);
}

TEST(FakeMachineFiles, PassesFileOperationsThroughOrOnlyRecordsThem) {
    FakeInstall inst;
    FakeMachine& m = inst.machine();
    const fs::path dir = inst.tmp.path();
    writeFile(dir / "new.rpt", "new");
    writeFile(dir / "out" / "old.rpt", "old");
    m.replaceFile(dir / "new.rpt", dir / "out" / "old.rpt");
    EXPECT_EQ(readFile(dir / "out" / "old.rpt"), "new");
    EXPECT_EQ(m.listPlainFiles(dir / "out"), std::vector<fs::path>{dir / "out" / "old.rpt"});

    m.touchFiles = false;
    EXPECT_TRUE(m.forceDelete(dir / "out" / "old.rpt"));
    EXPECT_TRUE(fs::exists(dir / "out" / "old.rpt"));
    EXPECT_EQ(m.fileOps.size(), 3u);
    EXPECT_EQ(m.fileOps.back(), "delete " + (dir / "out" / "old.rpt").string());
}
