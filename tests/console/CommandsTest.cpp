// The operator's commands and the "View Details" links of the event grid.
#include "console/Commands.h"
#include "console/DetailLinks.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/RecordingOperator.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan {
namespace {

using test::RecordingConnection;
using test::RecordingOperator;

db::Recordset twoFiles() {
    return db::Recordset({"File Name", "File Date"},
                         {{"Tervik.exe", DateTime{2024, 3, 5, 14, 7, 9}}, {"Stock.exe", db::Value{}}});
}

class CommandsTest : public ::testing::Test {
protected:
    CommandsTest() : console(std::filesystem::temp_directory_path(), op) {
        auto conn = std::make_unique<RecordingConnection>(transcript);
        fake = conn.get();
        console.conn = std::move(conn);
        console.state.dbPrefix = "[TervikDB]";
        console.state.run.outcome = RunOutcome::Completed;
    }
    void link(int row, const std::string& text) {
        GridRow r;
        r.status = RowStatus::Completed;
        r.event = "Replace Exes ";
        r.link = text;
        console.model.setGridRow(row, r);
    }

    RecordingOperator op;
    Console console;
    std::vector<std::string> transcript;
    RecordingConnection* fake = nullptr;
};

TEST_F(CommandsTest, EachLinkRunsItsOwnStatement) {
    // Written as the phases write them, plus one in another letter case: the comparison is upper case.
    const std::pair<const char*, const char*> links[] = {
        {"Show Exes", "HotfixNo =0 and file_names like '%.exe'"},
        {"Show Hotfix", "HotfixNo >0"},
        {"Show RPTs&RTMs", "HotfixNo =0 and (file_names like '%.rtm' or file_names like '%.rpt')"},
        {"Show Register Files", "HotfixNo =0 and RegRequired=1"},
        {"show other file", "HotfixNo =0 and file_names not like '%.exe' and file_names not like '%.rpt'"},
    };
    for (const auto& [text, where] : links) {
        SCOPED_TRACE(text);
        transcript.clear();
        link(5, text);
        fpdata_Click(console, kDetailLinkColumn, 5);
        ASSERT_EQ(transcript.size(), 1u);
        EXPECT_TRUE(transcript[0].starts_with("Select ")) << transcript[0];
        EXPECT_NE(transcript[0].find("from [TervikDB].dbo.SetupDetails (nolock) where " + std::string(where)),
                  std::string::npos)
            << transcript[0];
    }
    EXPECT_TRUE(op.informed.empty());
}

TEST_F(CommandsTest, ALinkWithRowsGivesTheDetailTable) {
    link(4, "Show Exes");
    fake->answers.push_back(twoFiles());
    const auto table = fpdata_Click(console, kDetailLinkColumn, 4);
    ASSERT_TRUE(table);
    EXPECT_EQ(table->headers, (std::vector<std::string>{"File Name", "File Date"}));
    ASSERT_EQ(table->rows.size(), 2u);
    EXPECT_EQ(table->rows[0], (std::vector<std::string>{"Tervik.exe", "05/03/2024 14:07:09"}));
    EXPECT_EQ(table->rows[1], (std::vector<std::string>{"Stock.exe", ""}));
}

TEST_F(CommandsTest, ClicksThatOpenNothing) {
    link(4, "Show Exes");
    link(5, "   ");
    link(6, "View Details");
    fake->answers.push_back(twoFiles());

    // no row comes back
    fake->answers.clear();
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 4));
    EXPECT_EQ(transcript.size(), 1u);

    // another column of a link row, an empty cell, a text that is no link, a row never written
    fake->answers.push_back(twoFiles());
    for (int col = 1; col <= 5; ++col)
        EXPECT_FALSE(fpdata_Click(console, col, 4)) << col;
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 5));
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 6));
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 40));
    EXPECT_EQ(transcript.size(), 1u);

    // before the run was brought to its end (still going, or stopped by an unexpected error)
    console.state.run.outcome = RunOutcome::NotClosed;
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 4));
    EXPECT_EQ(transcript.size(), 1u);
    EXPECT_TRUE(op.informed.empty());
    // Only the five link texts are links, in any letter case but spelled exactly.
    EXPECT_TRUE(detailStatement("[X]", "SHOW RPTS&RTMS"));
    EXPECT_FALSE(detailStatement("[X]", "Show RPTs && RTMs"));
    EXPECT_FALSE(detailStatement("[X]", "Show Exes "));
}

TEST_F(CommandsTest, AFailingQueryIsReportedWithTheCommandName) {
    link(4, "Show Hotfix");
    fake->failWith = "Invalid object name 'SetupDetails'.";
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 4));
    EXPECT_EQ(op.informed, (std::vector<std::string>{"Invalid object name 'SetupDetails'. In fpdata_Click"}));
}

TEST_F(CommandsTest, AfterUnloadALinkNoLongerReachesTheDatabase) {
    link(4, "Show Exes");
    EXPECT_TRUE(CmdExit_Click(console));
    EXPECT_EQ(console.conn, nullptr);
    EXPECT_FALSE(fpdata_Click(console, kDetailLinkColumn, 4));
    EXPECT_TRUE(transcript.empty());
}

TEST_F(CommandsTest, F4IsSwallowedWithOrWithoutModifiers) {
    for (int shift : {0, 1, 2, 4, 7}) {
        int key = kKeyF4, sh = shift;
        EXPECT_TRUE(Form_KeyDown(console, key, sh));
        EXPECT_EQ(key, 0);
        EXPECT_EQ(sh, 0);
    }
    int key = 114, sh = 4; // F3 with Alt passes through untouched
    EXPECT_FALSE(Form_KeyDown(console, key, sh));
    EXPECT_EQ(key, 114);
    EXPECT_EQ(sh, 4);
}

TEST_F(CommandsTest, FoldAndUnfoldKeepTheHeightsInProportionAndRecentre) {
    WindowMetrics m{600, 1280, 1024, 1.0 / 15.0};
    const auto down = CmdDown_Click(console, m);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->height, 619); // 9285 twips at 96 dots per inch
    EXPECT_EQ(down->left, 340);
    EXPECT_EQ(down->top, 512 - 309);
    EXPECT_TRUE(console.model.buttonVisible(Button::CmdUp));
    EXPECT_FALSE(console.model.buttonVisible(Button::CmdDown));

    const auto up = CmdUp_Click(console, m);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->height, 200);
    EXPECT_EQ(up->top, 412);
    EXPECT_FALSE(console.model.buttonVisible(Button::CmdUp));
    EXPECT_TRUE(console.model.buttonVisible(Button::CmdDown));

    m.unitsPerTwip = 0.09; // a view with a larger unit keeps the proportion
    EXPECT_EQ(CmdUp_Click(console, m)->height, 270);
    EXPECT_EQ(CmdDown_Click(console, m)->height, 836);
    const auto larger = recentre(900, 836, 800, 600); // a window larger than the screen stays reachable
    EXPECT_EQ(larger.left, 0);
    EXPECT_EQ(larger.top, 0);
}

TEST_F(CommandsTest, ViewLogBeforeTheLogExistsIsReported) {
    console.state.errLogPath.clear();
    EXPECT_FALSE(CmdViewLog_Click(console));
    ASSERT_EQ(op.informed.size(), 1u);
    EXPECT_TRUE(op.informed[0].ends_with(" In CmdViewLog_Click"));
}

} // namespace
} // namespace quillan
