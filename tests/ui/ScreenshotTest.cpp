// Fills the window through the model as a finished run leaves it and saves a picture of it as a
// test artifact (artifacts/window.png in the build folder), for people to look at.
#include "UiTestSupport.h"
#include "ui/FrmQuillan.h"

#include <QImage>
#include <QPixmap>
#include <QTest>

#include <gtest/gtest.h>

namespace quillan::uitest {
namespace {

void fillAsAfterARun(ConsoleModel& m) {
    m.setLabel(Label::lblStTime, "05/03/2024 14:00:02");
    m.setLabel(Label::lblEndTime, "05/03/2024 14:06:41");
    m.setLabel(Label::lblPrs, "Completed");
    m.setLabel(Label::LblDLoad, "HTTP");
    m.setLabel(Label::LblDFLoad, "HTTP");
    m.setLabel(Label::lblDl, "Replace Other Files");
    m.setLabel(Label::LblStatus, "Error while importing Script file. Check Log for details");
    const std::array<RowStatus, kChecklistRows> states = {
        RowStatus::Completed, RowStatus::New,       RowStatus::Completed, RowStatus::Failed,
        RowStatus::Completed, RowStatus::Completed, RowStatus::Completed, RowStatus::Completed,
        RowStatus::Completed, RowStatus::Completed, RowStatus::Completed, RowStatus::InProgress,
        RowStatus::New,       RowStatus::New,       RowStatus::New};
    for (int i = 0; i < kChecklistRows; ++i) {
        ChecklistRow r;
        r.status = states[static_cast<std::size_t>(i)];
        if (i == 11) {
            r.barVisible = r.percentVisible = true;
            r.barMax = 8;
            r.barValue = 5;
            r.percentText = percentText(5, 8);
        }
        m.setChecklist(static_cast<quillan::Row>(i), r);
    }
    m.setOverall(true, 90);
    struct Row {
        int n;
        RowStatus s;
        const char *event, *name, *percent, *link;
    };
    const Row rows[] = {
        {1, RowStatus::Completed, "Checking DB Connection Status", "http://127.0.0.1/Test.log", "100 %", ""},
        {2, RowStatus::Completed, "Check new downloads info....", "Deploy scripts", "100 %", ""},
        {3, RowStatus::Failed, "Updating new downloads info...", "SetupDetails", "0 %", ""},
        {4, RowStatus::Completed, "Downloading new programs...", "Tervik_41.zip", "100 %", ""},
        {5, RowStatus::Completed, "Copying files for update...", "Unzipping packages", "100 %", ""},
        {6, RowStatus::Completed, "DataBase Backup", "TervikDB", "100 %", ""},
        {7, RowStatus::Completed, "Replace Exes ", "Tervik.exe", "100 %", "Show Exes"},
        {8, RowStatus::Completed, "Run Hot Fix", "HF_41_002.sql", "100 %", "Show Hotfix"},
        {9, RowStatus::Completed, "Replace RPTs & RTMs", "Invoice.rpt", "100 %", "Show RPTs&RTMs"},
        {10, RowStatus::InProgress, "Replace Other Files", "Tervik.chm", "62 %", "Show Other File"},
    };
    for (const auto& r : rows) {
        GridRow g;
        g.status = r.s;
        g.event = r.event;
        g.processingName = r.name;
        g.time = "05/03/2024 14:0" + std::to_string(r.n % 10) + ":1" + std::to_string(r.n % 10);
        g.percent = r.percent;
        g.link = r.link;
        m.setGridRow(r.n, g);
    }
    m.setStatusBox("Quillan run log\r\n>>-Connected to HTTP Server\r\n>>-Downloading script File\r\n"
                   ">>-Started Replacing Exe \r\n>>-Replacing Exe completed\r\n");
    m.setStatusBoxVisible(true);
    const char* current[] = {"05/03/2024", "41", "", "12.345 MB", "3", "12", "4", ""};
    const char* last[] = {"", "40", "", "2", "9", "1", "", ""};
    for (int i = 0; i < kPanelLabels; ++i) {
        m.setPanel(true, i, current[i]);
        m.setPanel(false, i, last[i]);
    }
    m.setButton(Button::CmdViewLog, true);
    m.setButton(Button::CmdExit, true);
}

TEST(WindowScreenshot, FilledWindowIsSavedAsArtifact) {
    app();
    ProgramFolder folder(false); // the drawn status dots, as on a machine without the pictures
    RecordingOperator op;
    Console console(folder.path(), op);
    ui::FrmQuillan window(console, folder.path());
    fillAsAfterARun(console.model);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QPixmap shot = window.grab();
    ASSERT_EQ(shot.height(), window.unfoldedHeight());

    const auto dir = std::filesystem::path(QUILLAN_BINARY_DIR) / "artifacts";
    std::filesystem::create_directories(dir);
    const auto file = dir / "window.png";
    ASSERT_TRUE(shot.save(QString::fromStdString(file.string()), "PNG"));
    const QImage back(QString::fromStdString(file.string()));
    EXPECT_EQ(back.size(), shot.size());
}

} // namespace
} // namespace quillan::uitest
