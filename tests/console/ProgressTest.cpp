// The progress model the phases share: grid rows, the log view and the phase frame; and the
// target-folder rule. The overall bar and the end-of-run reset are shown through the run driver.
#include "base/Progress.h"
#include "base/ByteProgress.h"
#include "base/PhaseFrame.h"
#include "base/ReturnFolder.h"
#include "tests/support/RecordingAdmin.h"
#include "tests/support/RecordingView.h"
#include "tests/support/TestConsole.h"

#include <gtest/gtest.h>

#include <regex>
#include <vector>

namespace quillan {
namespace {

using test::TestConsole;

TEST(LoadToGrid, WritesEveryColumnOverwritesTheRowAndIgnoresAStatusOutsideOneToFour) {
    TestConsole t;
    LoadToGrid(t.c, 2, "Check new downloads info...", "Downloading files from server", 2, "0 %");
    LoadToGrid(t.c, 2, "Check new downloads info...", "Downloading files from server", 4, "0 %");
    LoadToGrid(t.c, 2, "other", "other", 0, "1 %");
    LoadToGrid(t.c, 2, "other", "other", 5, "1 %");
    LoadToGrid(t.c, 9, "other", "other", 5, "1 %");
    ASSERT_EQ(t.c.model.grid().size(), 1u);
    const GridRow& g = t.c.model.grid().at(2);
    EXPECT_EQ(g.status, RowStatus::Failed);
    EXPECT_EQ(g.event, "Check new downloads info...");
    EXPECT_EQ(g.processingName, "Downloading files from server");
    EXPECT_EQ(g.percent, "0 %");
    EXPECT_TRUE(std::regex_match(g.time, std::regex(R"(\d\d/\d\d/\d{4} \d\d:\d\d:\d\d)"))) << g.time;

    // Transports write their percent labels in several forms; the grid shows one.
    const std::pair<const char*, const char*> percents[] = {{"100%", "100 %"},
                                                            {"0%", "0 %"},
                                                            {"25", "25 %"},
                                                            {"75 %", "75 %"},
                                                            {"", ""},
                                                            {"n/a", "n/a"},
                                                            {"33.3333333333333", "33 %"},
                                                            {"12 MB", "12 MB"}};
    for (const auto& [label, shown] : percents) {
        LoadToGrid(t.c, 4, "Downloading new program", "a.zip", 2, label);
        EXPECT_EQ(t.c.model.grid().at(4).percent, shown) << label;
    }
}

TEST(ErrorDisplay, ShowsTheWholeLogAsItStandsNow) {
    TestConsole t;
    t.c.log.line(">>-first");
    ErrorDisplay(t.c);
    EXPECT_TRUE(t.c.model.statusBoxVisible());
    EXPECT_NE(t.c.model.statusBox().find("Deployment Process Started\r\n"), std::string::npos)
        << "header too";
    t.c.status(">>-some message");
    t.c.log.line(">>-second");
    ErrorDisplay(t.c);
    EXPECT_EQ(t.c.model.statusBox(), t.log());
    EXPECT_NE(t.c.model.statusBox().find(">>-first\r\n>>-second\r\n"), std::string::npos);
}

TEST(PhaseFrame, StartItemsAndSuccessDriveRowAndGrid) {
    TestConsole t;
    const PhaseRow r{Row::ReplaceExes, 7, "Replace Exes ", "C:\\Tervik"};
    phaseStart(t.c, r, ">>-Started Replacing Exe ", "Replace Exes", 4);
    EXPECT_EQ(t.c.model.statusBox(), ">>-Started Replacing Exe ");
    EXPECT_EQ(t.c.model.checklist(Row::ReplaceExes).status, RowStatus::InProgress);
    EXPECT_TRUE(t.c.model.checklist(Row::ReplaceExes).barVisible) << "the operator sees the step move";
    EXPECT_TRUE(t.c.model.checklist(Row::ReplaceExes).percentVisible);
    EXPECT_EQ(t.c.model.grid().at(7).status, RowStatus::InProgress);
    EXPECT_EQ(t.c.model.grid().at(7).percent, "0 %");
    EXPECT_EQ(t.c.model.label(Label::lblDl), "Replace Exes");

    phaseItem(t.c, r, "A.exe", "C:\\Tervik");
    phaseItem(t.c, r, "B.exe", "C:\\Tervik");
    phaseItem(t.c, r, "C.exe", "C:\\Tervik");
    EXPECT_EQ(t.c.model.checklist(Row::ReplaceExes).barValue, 3);
    EXPECT_TRUE(t.c.model.checklist(Row::ReplaceExes).barVisible);
    EXPECT_EQ(rowPercent(t.c, Row::ReplaceExes), "75 %");
    EXPECT_EQ(t.c.model.grid().at(7).percent, "75 %") << "the grid row follows the step";
    EXPECT_EQ(t.c.model.label(Label::lblDownLoad), "C.exe");

    phaseSuccess(t.c, r, ">>-Replacing Exe completed");
    EXPECT_EQ(t.c.model.checklist(Row::ReplaceExes).status, RowStatus::Completed);
    EXPECT_EQ(t.c.model.checklist(Row::ReplaceExes).barValue, 0);
    EXPECT_FALSE(t.c.model.checklist(Row::ReplaceExes).barVisible);
    EXPECT_FALSE(t.c.model.checklist(Row::ReplaceExes).percentVisible);
    EXPECT_EQ(t.c.model.grid().at(7).status, RowStatus::Completed);
    EXPECT_EQ(t.c.model.grid().at(7).percent, "75 %") << "the grid copies the percent text";
    EXPECT_EQ(t.c.model.label(Label::lblDownLoad), "");
    EXPECT_EQ(t.c.model.label(Label::lblLocation), "");
    EXPECT_EQ(t.c.model.statusBox(), t.log()) << "success ends by showing the log";
    EXPECT_FALSE(t.c.state.run.runFailed);
}

// The failed row stops moving (bar and label hidden), while the grid row keeps how far the phase
// got instead of a "0 %" that would say it never started; the sentence is red.
TEST(PhaseFrame, FailureRecordsTheRunFailureAndHowFarThePhaseGot) {
    TestConsole t;
    const PhaseRow r{Row::DatabaseBackup, 5, "DataBase Backup", "backup"};
    phaseStart(t.c, r, ">>-start", "DataBase Backup", 2);
    phaseItem(t.c, r, "x", "y");
    phaseFailure(t.c, r, "Error while Taking backup check the log file");
    EXPECT_TRUE(t.c.state.run.runFailed);
    const ChecklistRow& row = t.c.model.checklist(Row::DatabaseBackup);
    EXPECT_EQ(row.status, RowStatus::Failed);
    EXPECT_EQ(row.percentText, "0 %");
    EXPECT_FALSE(row.barVisible);
    EXPECT_FALSE(row.percentVisible);
    EXPECT_EQ(t.c.model.grid().at(5).status, RowStatus::Failed);
    EXPECT_EQ(t.c.model.grid().at(5).percent, "50 %");
    EXPECT_EQ(t.c.model.label(Label::LblStatus), "Error while Taking backup check the log file");
    EXPECT_EQ(t.c.model.labelColour(Label::LblStatus), kRed);

    phaseFailure(t.c, PhaseRow{std::nullopt, 6, "Closing programs", ""}, "stopped"); // no checklist row
    EXPECT_EQ(t.c.model.grid().at(6).status, RowStatus::Failed);
}

TEST(ReturnFolder, AppPathMarkerNamesTheApplicationFolder) {
    TestConsole t;
    t.c.state.appPath = "C:\\Tervik";
    EXPECT_EQ(ReturnFolder(t.c, "App.Path\\Reports"), "C:\\Tervik\\Reports");
    EXPECT_EQ(ReturnFolder(t.c, "APP.PATH"), "C:\\Tervik");
    EXPECT_EQ(ReturnFolder(t.c, "app.path\\Bin\\x"), "C:\\Tervik\\Bin\\x");
    EXPECT_EQ(ReturnFolder(t.c, "D:\\Data\\Bin"), "D:\\Data\\Bin");
    EXPECT_EQ(ReturnFolder(t.c, ""), "");
}

// Every change of one checklist row, and the repaints.
TEST(ByteProgress, ALargeTransferCostsTheWindowAboutAThousandUpdatesAndEndsAtItsEnd) {
    struct Case {
        std::uint64_t total;
        std::uint64_t piece;
    };
    // 10 GB in 64 KiB pieces (the range is scaled to fit the bar), and 1 MB byte by byte in 7s.
    for (const Case& k : {Case{10'000'000'000ull, 65536}, Case{1'000'000, 7}}) {
        SCOPED_TRACE(k.total);
        TestConsole t;
        test::RecordingView view{t.c.model};
        const auto& seen = view.changes(Row::ProgramDownload);
        setRowStatus(t.c, Row::ProgramDownload, RowStatus::InProgress);
        ByteProgress bar(t.c, Row::ProgramDownload, k.total);
        bar.start();
        for (std::uint64_t done = 0; done < k.total; done += k.piece)
            bar.report(done);
        bar.report(k.total);
        ASSERT_FALSE(seen.empty());
        EXPECT_LE(seen.size(), 1002u);
        EXPECT_GE(seen.size(), 100u); // it does move along the way
        EXPECT_LE(view.repaints, 1002);
        EXPECT_GT(bar.barMax(), 0);
        EXPECT_EQ(seen.back().barMax, bar.barMax());
        EXPECT_EQ(seen.back().barValue, bar.barMax());
        EXPECT_EQ(seen.back().percentText, "100 %");
        EXPECT_TRUE(seen.back().barVisible && seen.back().percentVisible) << "a moving download is seen";
        for (std::size_t i = 1; i < seen.size(); ++i)
            EXPECT_LE(seen[i - 1].barValue, seen[i].barValue);
    }
}

// The end after a last step smaller than the grain is the large transfer's test.
TEST(ByteProgress, FinishShowsTheEndAndNothingToDoIsDoneAtOnce) {
    TestConsole t;
    // finish() shows the end even when the reports stopped short of it.
    ByteProgress other(t.c, Row::ProgramDownload, 5000);
    other.start();
    other.report(4999);
    other.finish();
    EXPECT_EQ(t.c.model.checklist(Row::ProgramDownload).barValue, 5000);
    EXPECT_EQ(rowPercent(t.c, Row::ProgramDownload), "100 %");
    // Nothing to do shows done at once.
    ByteProgress empty(t.c, Row::Unpacking, 0, 100);
    empty.start();
    EXPECT_EQ(rowPercent(t.c, Row::Unpacking), "100 %");
}

TEST(ByteProgress, BackupPercentEventsShowEveryPercentFromZeroToAHundredOnce) {
    TestConsole t;
    test::RecordingView view{t.c.model};
    const auto& seen = view.changes(Row::DatabaseBackup);
    test::RecordingAdmin admin;
    admin.percents.clear();
    for (int percent = 0; percent <= 100; ++percent)
        admin.percents.insert(admin.percents.end(), {percent, percent}); // a repeated event costs nothing
    admin.percents.push_back(150);                                       // past the end counts as the end
    ByteProgress bar(t.c, Row::DatabaseBackup, 100);
    bar.start();
    admin.backup("Tervik", t.dir.path() / "Tervik.bak",
                 [&](int percent) { bar.report(static_cast<std::uint64_t>(percent)); });
    EXPECT_EQ(admin.calls,
              std::vector<std::string>{"backup Tervik: " + (t.dir.path() / "Tervik.bak").string()});
    ASSERT_EQ(seen.size(), 101u);
    for (int percent = 0; percent <= 100; ++percent) {
        EXPECT_EQ(seen[static_cast<std::size_t>(percent)].barValue, percent);
        EXPECT_EQ(seen[static_cast<std::size_t>(percent)].percentText, percentText(percent, 100));
    }
}

TEST(ByteProgress, AReadingWithItsOwnLabelIsShownWhenOnlyTheLabelChanges) {
    TestConsole t;
    // A step rule that stops at its end with its own label ("100%").
    ByteProgress bar(t.c, Row::ProgramDownload, 100, [](std::uint64_t done) {
        BarReading r;
        r.value = done >= 90 ? 100 : static_cast<int>(done);
        r.percent = done > 90 ? "100%" : percentText(r.value, 100);
        return r;
    });
    bar.start("0");
    EXPECT_EQ(rowPercent(t.c, Row::ProgramDownload), "0");
    EXPECT_EQ(t.c.model.checklist(Row::ProgramDownload).barMax, 100);
    bar.report(90);
    EXPECT_EQ(rowPercent(t.c, Row::ProgramDownload), "100 %");
    bar.report(95);
    EXPECT_EQ(rowPercent(t.c, Row::ProgramDownload), "100%");
}

} // namespace
} // namespace quillan
