#include "TestInstall.h"
#include "console/AnsweringOperator.h"
#include "console/Answers.h"
#include "console/HeadlessView.h"
#include "console/ProgressLines.h"
#include "console/ScriptedOperator.h"

#include <sstream>

using namespace quillan;
using namespace quillan::test;
using ::testing::HasSubstr;

TEST(Answers, ParsesKnownKeysAndValuesRejectsTheRest) {
    EXPECT_EQ(parseAnswer("continue=yes"), std::make_pair(Question::Continue, true));
    EXPECT_EQ(parseAnswer("Close=NO"), std::make_pair(Question::Close, false));
    EXPECT_EQ(parseAnswer("notice=ok"), std::make_pair(Question::Notice, true));
    EXPECT_EQ(parseAnswer("server=cancel"), std::make_pair(Question::Server, false));
    EXPECT_FALSE(parseAnswer("continue"));
    EXPECT_FALSE(parseAnswer("continue=maybe"));
    EXPECT_FALSE(parseAnswer("contniue=yes"));
    EXPECT_FALSE(parseAnswer("other=yes"));
}

// Given answers are used for their question only; an unanswered one takes the safe answer and
// says so in the run log.
TEST(ScriptedOperator, GivenAnswersForTheirQuestionTheSafeAnswerForTheRest) {
    FakeInstall inst;
    auto c = inst.console();
    c->log.open(inst.tmp.path() / "run.log");
    std::ostringstream out;
    ScriptedOperator op({{Question::Continue, true}, {Question::Close, false}}, out);
    op.setLog(&c->log);
    EXPECT_TRUE(op.askYesNo(Question::Continue, "Continue?"));
    EXPECT_FALSE(op.askYesNo(Question::Close, "Close Tervik.exe?"));
    EXPECT_THAT(out.str(), HasSubstr("Continue? -> Yes (--answer continue)"));
    EXPECT_THAT(out.str(), HasSubstr("Close Tervik.exe? -> No (--answer close)"));
    op.inform("Required more than 5 GB Free Space");
    EXPECT_THAT(out.str(), testing::EndsWith("\n[Quillan] Required more than 5 GB Free Space\n"));

    EXPECT_FALSE(op.askOkCancel(Question::Notice, "Read this"));
    EXPECT_FALSE(op.askYesNo(Question::Server, "Go on without the server?"));
    EXPECT_THAT(out.str(), HasSubstr("Read this -> Cancel (no answer given for \"notice\""));
    EXPECT_THAT(out.str(), HasSubstr("-> No (no answer given for \"server\""));
    const std::string log = c->log.readAll();
    EXPECT_THAT(log, HasSubstr(">>-No answer given for the question \"notice\" (Read this): the safe answer "
                               "Cancel was taken\r\n"));
    EXPECT_THAT(log, HasSubstr("\"server\""));
}

TEST(TerminalOperator, PromptsForOpenQuestionsScriptedAnswersFirst) {
    std::istringstream in("maybe\nyes\n");
    std::ostringstream out;
    TerminalOperator op({{Question::Close, false}}, in, out);
    EXPECT_FALSE(op.askYesNo(Question::Close, "Close it?"));   // scripted, no prompt
    EXPECT_TRUE(op.askYesNo(Question::Continue, "Continue?")); // "maybe" asked again, then yes
    EXPECT_THAT(out.str(), HasSubstr("Continue? [yes/no]: "));
    EXPECT_EQ(in.rdbuf()->in_avail(), 0);
    EXPECT_FALSE(op.askOkCancel(Question::Notice, "Notice")); // end of input: the safe answer
    EXPECT_THAT(out.str(), HasSubstr("Notice -> Cancel (no answer given"));
}

namespace {
// A model whose changes a headless view prints to `out`.
struct Viewed {
    std::ostringstream out;
    HeadlessView view{out};
    ConsoleModel model;
    Viewed() { model.addObserver(&view); }
};
} // namespace

TEST(HeadlessView, PrintsStatusGridAndReadableLabels) {
    Viewed v;
    ConsoleModel& model = v.model;
    model.setStatusBox(">>-Downloading script File");
    model.setStatusBox(">>-Downloading script File"); // unchanged: not repeated
    GridRow r;
    r.status = RowStatus::Completed;
    r.event = "Replace Exes ";
    r.processingName = "Tervik.exe";
    r.time = "01/02/2024 10:11:12";
    r.percent = "100 %";
    model.setGridRow(5, r);
    model.setLabel(Label::LblStatus, "Completed Successfuly");
    model.setLabel(Label::lblDownLoad, "file.zip"); // per-item label: not printed
    model.setLabel(Label::lblPrs, "");              // empty: not printed
    EXPECT_EQ(v.out.str(), "[status] >>-Downloading script File\n"
                           "[grid 5] completed | Replace Exes  | Tervik.exe | 01/02/2024 10:11:12 | 100 %\n"
                           "[LblStatus] Completed Successfuly\n");
}

TEST(HeadlessView, PrintsEachChangeOfAChecklistPictureButNotTheBarsAndOnlyNewLogLines) {
    Viewed v;
    ConsoleModel& model = v.model;
    ChecklistRow r = model.checklist(Row::ScriptDownload);
    r.barValue = 5; // the bar alone: not printed
    model.setChecklist(Row::ScriptDownload, r);
    for (const RowStatus s : {RowStatus::InProgress, RowStatus::InProgress, RowStatus::Completed}) {
        r.status = s;
        r.barValue += 1;
        model.setChecklist(Row::ScriptDownload, r);
    }
    ChecklistRow reports = model.checklist(Row::ReplaceReports);
    reports.status = RowStatus::Failed;
    model.setChecklist(Row::ReplaceReports, reports);
    EXPECT_EQ(v.out.str(), "[row 2] in progress | Check new downloads info....\n"
                           "[row 2] completed | Check new downloads info....\n"
                           "[row 10] failed | Replace RPTs &  RTMs\n");

    Viewed log; // the run log shown twice: only the new lines are printed
    log.model.setStatusBox("");
    log.model.setStatusBox("a\r\nb\r\n");
    log.model.setStatusBox("");
    log.model.setStatusBox("a\r\nb\r\nc\r\n");
    EXPECT_EQ(log.out.str(), "[log] a\n[log] b\n[log] c\n");
}

TEST(AnsweringOperator, GivenAnswersFirstTheOperatorBehindForTheRest) {
    test::RecordingOperator behind;
    behind.answers = {true};
    AnsweringOperator op({{Question::Close, false}}, behind);
    EXPECT_FALSE(op.askYesNo(Question::Close, "Close it?"));
    EXPECT_TRUE(op.askOkCancel(Question::Notice, "Notice"));
    op.inform("hello");
    ASSERT_EQ(behind.asked.size(), 1u); // only the open question reached the operator
    EXPECT_EQ(behind.asked[0].question, Question::Notice);
    EXPECT_EQ(behind.informed, std::vector<std::string>{"hello"});
}

TEST(ProgressLines, ALongStepPrintsALineASecondAndItsEndAShortStepNothing) {
    using namespace std::chrono;
    steady_clock::time_point now{};
    std::ostringstream out;
    ProgressLines lines(out, [&] { return now; });
    const std::uint64_t mb = 1024 * 1024;
    const int download = rowIndex(Row::ProgramDownload);

    lines.amountDone(download, 0, mb, AmountUnit::Bytes); // over within a second: nothing
    now += milliseconds(900);
    lines.amountDone(download, mb, mb, AmountUnit::Bytes);
    EXPECT_EQ(out.str(), "");

    // 20 MB at 1 MB a second, a report every 100 ms: lines at 1 s, 2 s, ... and the end.
    lines.amountDone(download, 0, 20 * mb, AmountUnit::Bytes);
    for (int tenth = 1; tenth <= 200; ++tenth) {
        now += milliseconds(100);
        lines.amountDone(download, static_cast<std::uint64_t>(tenth) * mb / 10, 20 * mb, AmountUnit::Bytes);
    }
    std::istringstream printed(out.str());
    std::vector<std::string> got;
    for (std::string line; std::getline(printed, line);)
        got.push_back(line);
    ASSERT_EQ(got.size(), 20u); // seconds 1 to 19, then the end
    EXPECT_EQ(got.front(),
              "[progress 4] Downloading new programs...: 1.0 MB of 20.0 MB, 5 %, 1.0 MB/s, 19 s left");
    EXPECT_EQ(got.back(),
              "[progress 4] Downloading new programs...: 20.0 MB of 20.0 MB, 100 %, 1.0 MB/s, done");
}

TEST(ProgressLines, TextsForBytesItemsPercentAndAStall) {
    const std::uint64_t mb = 1024 * 1024;
    EXPECT_EQ(progressText(7 * mb, 20 * mb, AmountUnit::Bytes, 5, 7 * mb),
              "7.0 MB of 20.0 MB, 35 %, 1.4 MB/s, 10 s left");
    EXPECT_EQ(progressText(3, 12, AmountUnit::Items, 90, 3), "3 of 12, 25 %, 4 min 30 s left");
    EXPECT_EQ(progressText(40, 100, AmountUnit::Percent, 2, 0), "40 %, nothing moved for 2 s");
}
