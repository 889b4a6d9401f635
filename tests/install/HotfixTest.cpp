// The hotfix runner on the embedded engine: pending rows in order, NULLs in HotFixLog, a
// byte-order mark, the GO variants, a failing batch, a script that does not record itself, a file
// whose number differs from its row, and the undo that restores the database after a failure.
#include "install/DatabaseBackup.h"
#include "install/HotfixScript.h"
#include "install/Hotfixes.h"
#include "tests/install/FinishingFixture.h"
#include "tests/support/RecordingAdmin.h"

namespace quillan {
namespace {

namespace fs = std::filesystem;
using test::writeFile;

// A script that records itself, as published hotfixes do.
std::string script(int number, const std::string& body) {
    return "--[TERVIK HOTFIX VERSION]=" + std::to_string(number) + "\r\n" + body +
           "\r\nGO\r\nINSERT INTO HotFixLog VALUES (" + std::to_string(number) + ")\r\nGO\r\n";
}

struct Hotfix : test::FinishingFixture {
    void SetUp() override {
        FinishingFixture::SetUp();
        c->state.isLocalServer = true;
        conn->execute("CREATE TABLE [Tervik].dbo.Applied (What VARCHAR(50))");
    }
    void publish(const std::string& name, int hotfixNo, int version, const std::string& text) {
        addFile(name, version, hotfixNo, 0, 100, 100, "sql");
        writeFile(update / name, text);
    }
    // The database backed up, as the run leaves it before its hotfixes, so that an undo can restore it.
    void backUpBeforeTheHotfixes() {
        c->state.distributorCode = "D01";
        c->state.run.completedPhase = 5;
        ASSERT_TRUE(DatabaseBackupPhase(*c)) << log();
        c->state.run.completedPhase = 8;
    }
    std::vector<std::string> applied() { return column("SELECT What FROM [Tervik].dbo.Applied", "What"); }
    std::vector<std::string> fixes() {
        return column("SELECT FixId FROM [Tervik].dbo.HotFixLog WHERE FixId IS NOT NULL ORDER BY FixId",
                      "FixId");
    }
};

TEST_F(Hotfix, PendingScriptsRunInReleaseAndNumberOrderDespiteANullInHotFixLog) {
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (NULL)");
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (3)");
    publish("3 old.sql", 3, 1, script(3, "INSERT INTO Applied VALUES ('three')"));
    publish("9 b.sql", 9, 2, script(9, "INSERT INTO Applied VALUES ('nine')"));
    publish("4 a.sql", 4, 2, script(4, "INSERT INTO Applied VALUES ('four')"));
    publish("8 first.sql", 8, 1, script(8, "INSERT INTO Applied VALUES ('eight')"));
    addFile("Tervik.exe", 1); // no hotfix: never run as a script
    ASSERT_TRUE(HotfixPhase(*c)) << log();
    EXPECT_EQ(applied(), (std::vector<std::string>{"eight", "four", "nine"}));
    EXPECT_EQ(fixes(), (std::vector<std::string>{"3", "4", "8", "9"}));
    EXPECT_EQ(c->state.run.completedPhase, 9);
    EXPECT_TRUE(c->state.run.hotfixRunStarted);
    EXPECT_EQ(c->model.checklist(Row::Hotfixes).status, RowStatus::Completed);
    EXPECT_TRUE(
        has(log(), ">>-Started Running Hotfix \r\nRunning Hotfix 8 first.sql\r\nRunning Hotfix 4 a.sql\r\n"));
    EXPECT_TRUE(has(log(), ">>-Running Hotfix completed\r\n"));
    EXPECT_FALSE(has(log(), "Warning"));

    // The next run finds nothing pending: nothing shown, the phase still counts.
    c->state.run.completedPhase = 8;
    c->model.setChecklist(Row::Hotfixes, {});
    ASSERT_TRUE(HotfixPhase(*c));
    EXPECT_EQ(applied().size(), 3u);
    EXPECT_EQ(c->model.checklist(Row::Hotfixes).status, RowStatus::New);
    EXPECT_EQ(c->state.run.completedPhase, 9);
}

TEST_F(Hotfix, ByteOrderMarkAndGoVariants) {
    const std::string body = "\xEF\xBB\xBF--[tervik hotfix version]=7\r\n"
                             "INSERT INTO Applied VALUES ('a')\r\n"
                             "  go  \r\n"
                             "INSERT INTO Applied VALUES ('b')\r\n"
                             "GO 2\r\n"
                             "INSERT INTO Applied VALUES ('c\r\nGO\r\nstill c')\r\n"
                             "/* GO\r\n*/\r\n"
                             "go\r\n"
                             "INSERT INTO HotFixLog VALUES (7)\r\n"
                             "GO\r\n";
    publish("7 fix.sql", 7, 1, body);
    recordAdmin();
    ASSERT_TRUE(HotfixPhase(*c)) << log();
    EXPECT_EQ(applied(), (std::vector<std::string>{"a", "b", "b", "c\r\nGO\r\nstill c"}));
    int batches = 0;
    for (const auto& call : recording.calls)
        if (call.rfind("executeBatch Tervik: ", 0) == 0) {
            ++batches;
            EXPECT_EQ(call.find("\xEF\xBB\xBF"), std::string::npos) << "the mark is not sent";
        }
    EXPECT_EQ(batches, 5);
    EXPECT_EQ(recording.calls.at(1), "query Tervik: Select * From HotFixLog Where FixID =  7");
}

TEST_F(Hotfix, FailingBatchNamesItselfStopsTheRunAndTheUndoRestoresTheDatabase) {
    backUpBeforeTheHotfixes();
    publish("5 fix.sql", 5, 1,
            "--[TERVIK HOTFIX VERSION]=5\r\nINSERT INTO Applied VALUES ('one')\r\nGO\r\n"
            "INSERT INTO NoSuchTable VALUES (1)\r\nGO\r\nINSERT INTO Applied VALUES ('three')\r\n");
    publish("6 fix.sql", 6, 1, script(6, "INSERT INTO Applied VALUES ('six')"));
    EXPECT_FALSE(HotfixPhase(*c));
    EXPECT_TRUE(has(log(), ">>-HotFix File " + c->state.updateFolder + "\\5 fix.sql: batch 2 of 3 failed: "));
    EXPECT_TRUE(has(log(), " in Running Hotfix \r\n"));
    EXPECT_FALSE(has(log(), "Running Hotfix 6 fix.sql")) << "later hotfixes wait for the next run";
    EXPECT_EQ(c->model.label(Label::LblStatus), "Error by Running Hotfix Check error log for details");
    EXPECT_EQ(c->model.checklist(Row::Hotfixes).status, RowStatus::Failed);
    EXPECT_TRUE(c->state.run.runFailed);
    EXPECT_EQ(c->state.run.completedPhase, 0);
    EXPECT_FALSE(c->programEnded()) << "the window stays open";
    EXPECT_TRUE(applied().empty()) << "the undo put the database back: " << log();
}

// A batch that would run for ever (the program file already replaced) is cancelled at the
// statement time limit, logged as timed out with its number, and the run fails into the undo.
TEST_F(Hotfix, ARunawayBatchIsCancelledAtTheTimeLimitAndTheUndoRestoresTheDatabase) {
    backUpBeforeTheHotfixes();
    c->state.statementTimeLimit = std::chrono::milliseconds(300);
    std::string runaway = "SELECT COUNT(*) FROM Applied a0";
    for (int i = 1; i < 9; ++i)
        runaway += ", Applied a" + std::to_string(i);
    std::string tenRows;
    for (int i = 0; i < 10; ++i)
        tenRows += "INSERT INTO Applied VALUES ('row')\r\n";
    publish("5 fix.sql", 5, 1, "--[TERVIK HOTFIX VERSION]=5\r\n" + tenRows + "GO\r\n" + runaway + "\r\n");
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(HotfixPhase(*c));
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(10));
    EXPECT_TRUE(has(log(), ">>-HotFix File " + c->state.updateFolder +
                               "\\5 fix.sql: batch 2 of 2 timed out: The statement ran past its time limit "
                               "of 300 milliseconds and was cancelled"))
        << log();
    EXPECT_EQ(c->model.checklist(Row::Hotfixes).status, RowStatus::Failed);
    EXPECT_TRUE(c->state.run.runFailed);
    EXPECT_TRUE(applied().empty()) << "the undo put the database back: " << log();
}

TEST_F(Hotfix, ScriptsThatCannotRunFailTheHotfix) {
    struct Case {
        std::string name, text, logged;
    };
    const Case cases[] = {
        {"1 missing.sql", "", " is Missing"},
        {"1 nonumber.sql", "SELECT 1\r\n", " does not contain hotfix number"},
        {"1 indented.sql", "  --[TERVIK HOTFIX VERSION]=1\r\nSELECT 1\r\n",
         " does not contain hotfix number"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.name);
        if (!k.text.empty())
            writeFile(update / k.name, k.text);
        const std::string path = c->state.updateFolder + "\\" + k.name;
        EXPECT_FALSE(RunningHotfix(*c, path));
        EXPECT_TRUE(has(log(), "HotFix File " + path + k.logged + "\r\n")) << log();
    }
    EXPECT_FALSE(c->state.run.hotfixRunStarted) << "nothing reached the database";
}

// Numbers no hotfix log can hold: a version line of 23 nines is refused before anything runs, and
// a release row's number of 2^63-1 is named as it is (it once went through an integer cast).
TEST_F(Hotfix, NumbersBeyondWhatTheHotfixLogHoldsAreRefusedOrNamedAsTheyAre) {
    writeFile(update / "huge.sql", "--[TERVIK HOTFIX VERSION]=99999999999999999999999\r\nINSERT INTO "
                                   "Applied VALUES ('x')\r\n");
    const std::string huge = c->state.updateFolder + "\\huge.sql";
    EXPECT_FALSE(RunningHotfix(*c, huge));
    EXPECT_TRUE(has(log(), "HotFix File " + huge +
                               " carries hotfix number 1e+23, beyond the largest a hotfix log records "
                               "(2147483647)\r\n"))
        << log();
    EXPECT_FALSE(c->state.run.hotfixRunStarted);

    writeFile(update / "5.sql", script(5, "INSERT INTO Applied VALUES ('five')"));
    const std::string five = c->state.updateFolder + "\\5.sql";
    EXPECT_TRUE(RunningHotfix(*c, five, 9223372036854775807.0));
    EXPECT_TRUE(has(log(), "carries hotfix number 5, its release row 9.22337203685478e+18; the file's "
                           "number counts"))
        << log();
    EXPECT_EQ(applied(), (std::vector<std::string>{"five"}));
}

TEST_F(Hotfix, WarnsOfScriptsThatDoNotRecordThemselvesAndOfNumbersThatDifferFromTheirRow) {
    publish("5 forgetful.sql", 5, 1, "--[TERVIK HOTFIX VERSION]=5\r\nINSERT INTO Applied VALUES ('x')\r\n");
    conn->execute("INSERT INTO [Tervik].dbo.HotFixLog VALUES (7)");
    publish("6 renumbered.sql", 6, 1, "--[TERVIK HOTFIX VERSION]=7\r\nINSERT INTO Applied VALUES ('y')\r\n");
    ASSERT_TRUE(HotfixPhase(*c)) << log();
    EXPECT_EQ(applied(), std::vector<std::string>{"x"}) << "7 is recorded: the renumbered file is skipped";
    const std::string u = c->state.updateFolder;
    EXPECT_TRUE(has(log(), ">>-Warning: HotFix File " + u +
                               "\\5 forgetful.sql ran but did not record hotfix 5 "
                               "in HotFixLog; the next run offers it again"));
    EXPECT_TRUE(has(log(), ">>-Warning: HotFix File " + u +
                               "\\6 renumbered.sql carries hotfix number 7, its "
                               "release row 6"));
    EXPECT_TRUE(has(log(), "HotFix File " + u + "\\6 renumbered.sql already updated in the Database"));
}

TEST_F(Hotfix, RemoteServerRunsNothingAndShowsTheStepCompleted) {
    c->state.isLocalServer = false;
    publish("5 fix.sql", 5, 1, script(5, "INSERT INTO Applied VALUES ('x')"));
    ASSERT_TRUE(HotfixPhase(*c));
    EXPECT_TRUE(applied().empty());
    EXPECT_FALSE(c->state.run.hotfixRunStarted);
    EXPECT_EQ(c->model.checklist(Row::Hotfixes).status, RowStatus::Completed);
    EXPECT_EQ(c->state.run.completedPhase, 9);
}

TEST(HotfixScript, VersionLineNumber) {
    const std::pair<std::string, double> cases[] = {
        {"--[TERVIK HOTFIX VERSION]=12\r\nSELECT 1", 12},
        {"SELECT 1\n--[tervik hotfix version]=7", 7},
        {"--[TERVIK HOTFIX VERSION]=  12.5.3x", 12.5},
        {"--[TERVIK HOTFIX VERSION]=99999999999999999999999", 1e23},
        {"--[TERVIK HOTFIX VERSION]=x12", 0},
        {"--[TERVIK HOTFIX VERSION]=", 0},
        {"  --[TERVIK HOTFIX VERSION]=12", 0}, // the cut after 26 characters misses the number
        {"SELECT 1", 0},
    };
    for (const auto& [text, number] : cases)
        EXPECT_EQ(hotfixNumberOf(text), number) << text;
}

} // namespace
} // namespace quillan
