// Closing the release's running programs: by the switch, only with the operator's consent, by the
// exact program name, and with every wait bounded.
#include "install/ClosingPrograms.h"
#include "tests/install/InstallPhasesFixture.h"
#include "tests/platform/ChildPrograms.h"

#include <functional>

namespace quillan {
namespace {

using namespace std::chrono_literals;

constexpr ClosingLimits kShort{20ms, 300ms, 300ms, 2s};

class ClosingPrograms : public test::InstallPhasesFixture {
protected:
    bool close() { return ClosingRunningPrograms(*c, kShort); }
};

// With real programs: one under the release's program name, one whose name only ends the same.
class ClosingRealPrograms : public ClosingPrograms {
protected:
    test::ChildPrograms children;
    std::string program = children.name("", "Tervik.exe");
    std::string lookalike = children.name("my", "Tervik.exe");

    void SetUp() override {
        ClosingPrograms::SetUp();
        useRealMachine();
        addReleaseFile(program);
    }
};

TEST_F(ClosingRealPrograms, AskModeEndsTheProgramAfterYesAndLeavesALookalikeRunning) {
    setSwitch("AutoConfig2", 2, 1);
    const auto pid = children.start(program);
    const auto other = children.start(lookalike);
    op.answers = {true};
    ASSERT_TRUE(close());
    ASSERT_EQ(op.askedTexts(), std::vector<std::string>{"Close the " + program + " to continue Quillan"});
    EXPECT_EQ(op.asked[0].question, Question::Close);
    EXPECT_TRUE(children.ended(pid));
    EXPECT_TRUE(children.stillRunning(other)); // "Tervik.exe" is not "myTervik.exe"
    EXPECT_EQ(c->state.run.completedPhase, 8);
    EXPECT_EQ(c->state.run.programsToEnd, std::vector<std::string>{program});
}

TEST_F(ClosingRealPrograms, UnattendedWaitForAProgramThatNeverEndsIsARefusal) {
    setSwitch("AutoConfig2", 2, 0);
    const auto pid = children.start(program);
    op.someoneThere = false;
    EXPECT_FALSE(close());
    EXPECT_TRUE(children.stillRunning(pid)); // wait mode never ends a program
    EXPECT_EQ(op.informed.front(), "Please close the " + program + " to continue Quillan");
    EXPECT_EQ(std::count(op.informed.begin(), op.informed.end(), op.informed.front()), 1);
    EXPECT_TRUE(logHas(program + " is still running after 0 seconds: taken as a refusal to close it"));
    EXPECT_TRUE(c->state.run.operatorStopped);
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Stopped);
    EXPECT_EQ(op.informed.back(), "Quillan Pending");
}

// An operator who closes the program after `boxes` boxes (wait mode), or the other workstations'
// messages that go away after `boxes` boxes.
class ActingOperator : public test::RecordingOperator {
public:
    std::function<void()> act;
    int boxes = 0;
    void inform(const std::string& text) override {
        RecordingOperator::inform(text);
        if (++seen_ == boxes && act)
            act();
    }

private:
    int seen_ = 0;
};

struct Case {
    const char* name;
    std::optional<int> status; // the AutoConfig2 switch; none: no row
    std::deque<bool> answers;
    bool programsRun;
    bool goesOn;
    std::vector<std::string> asked;
    std::vector<std::string> ended;
};

TEST_F(ClosingPrograms, TheSwitchChoosesWhatIsAskedAndEnded) {
    const Case cases[] = {
        {"no switch row: nothing tested or ended", std::nullopt, {}, true, true, {}, {}},
        {"ask mode, not running: no question", 1, {}, false, true, {}, {}},
        {"ask mode, Yes to both",
         1,
         {true, true},
         true,
         true,
         {"Close the A.exe to continue Quillan", "Close the B.exe to continue Quillan"},
         {"A.exe", "B.exe"}},
        {"ask mode, Yes then No: nothing ended",
         1,
         {true, false},
         true,
         false,
         {"Close the A.exe to continue Quillan", "Close the B.exe to continue Quillan"},
         {}},
        {"ask mode, No at once", 1, {false}, true, false, {"Close the A.exe to continue Quillan"}, {}},
    };
    addReleaseFile("A.exe");
    addReleaseFile("B.exe");
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        conn->execute("DELETE FROM [Tervik].dbo.PexaConfiguration");
        machine.running.clear();
        machine.endRequests.clear();
        op = test::RecordingOperator{};
        c->state.run = RunState{};
        if (k.status)
            setSwitch("AutoConfig2", 2, *k.status);
        if (k.programsRun) {
            machine.start("a.EXE");
            machine.start("B.exe");
        }
        op.answers = k.answers;
        EXPECT_EQ(close(), k.goesOn);
        EXPECT_EQ(op.askedTexts(), k.asked);
        EXPECT_EQ(machine.endRequests, k.ended);
        EXPECT_EQ(c->state.run.completedPhase, k.goesOn ? 8 : 12);
        EXPECT_EQ(c->state.run.operatorStopped, !k.goesOn);
        EXPECT_EQ(c->state.run.programsToEnd, k.ended);
    }
}

TEST_F(ClosingPrograms, AProgramThatCannotBeEndedStopsTheRun) {
    addReleaseFile("A.exe");
    setSwitch("AutoConfig2", 2, 1);
    machine.start("A.exe", /*refusesToEnd=*/true);
    op.answers = {true};
    const ClosingLimits limits{10ms, 100ms, 100ms, 20ms};
    EXPECT_FALSE(ClosingRunningPrograms(*c, limits));
    EXPECT_GT(machine.endRequests.size(), 1u); // tried again, but not for ever
    EXPECT_TRUE(logHas("A.exe could not be ended"));
    EXPECT_EQ(c->state.run.outcome, RunOutcome::Stopped);
}

class ClosingWithAnOperator : public ClosingPrograms {
protected:
    ActingOperator acting;
    void SetUp() override {
        ClosingPrograms::SetUp();
        reopen(acting, machine);
    }
};

TEST_F(ClosingWithAnOperator, WaitModeShowsTheBoxAgainUntilTheProgramIsClosed) {
    addReleaseFile("A.exe");
    setSwitch("AutoConfig2", 2, 0);
    machine.start("A.exe");
    acting.boxes = 3;
    acting.act = [&] { machine.running.clear(); };
    ASSERT_TRUE(close());
    EXPECT_EQ(acting.informed, std::vector<std::string>(3, "Please close the A.exe to continue Quillan"));
    EXPECT_TRUE(machine.endRequests.empty());
    EXPECT_TRUE(c->state.run.programsToEnd.empty());
}

TEST_F(ClosingWithAnOperator, OtherWorkstationsAreToldUntilNoneIsLeft) {
    c->state.isLocalServer = true;
    conn->execute("INSERT INTO [Tervik].dbo.FN_Hostnames VALUES ('Close Tervik on PC7')");
    acting.boxes = 2;
    acting.act = [&] { conn->execute("DELETE FROM [Tervik].dbo.FN_Hostnames"); };
    ASSERT_TRUE(close());
    EXPECT_EQ(acting.informed, std::vector<std::string>(2, "Close Tervik on PC7"));
    EXPECT_EQ(c->state.run.completedPhase, 8);
}

TEST_F(ClosingWithAnOperator, OtherWorkstationsThatNeverCloseAreARefusalWhenNobodyIsThere) {
    c->state.isLocalServer = true;
    conn->execute("INSERT INTO [Tervik].dbo.FN_Hostnames VALUES ('Close Tervik on PC7')");
    acting.someoneThere = false;
    EXPECT_FALSE(close());
    EXPECT_EQ(std::count(acting.informed.begin(), acting.informed.end(), "Close Tervik on PC7"), 1);
    EXPECT_TRUE(logHas("Other workstations still run the application"));
    EXPECT_TRUE(c->state.run.operatorStopped);
}

} // namespace
} // namespace quillan
