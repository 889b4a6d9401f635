// The main window under the offscreen platform: it renders the console's model, folds and unfolds,
// guards against closing, and opens the detail view from the event grid.
#include "UiTestSupport.h"
#include "console/Commands.h"
#include "ui/FrmQuillan.h"
#include "ui/FrmShowDetails.h"

#include <QImage>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace quillan::uitest {
namespace {

using ui::FrmQuillan;

class WindowTest : public ::testing::Test {
protected:
    explicit WindowTest(bool withPictures = true) : folder(withPictures), console(folder.path(), op) {
        app();
        auto conn = std::make_unique<RecordingConnection>(transcript);
        fake = conn.get();
        console.conn = std::move(conn);
        console.state.dbPrefix = "[TervikDB]";
        window = std::make_unique<FrmQuillan>(console, folder.path());
        window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(window.get()));
    }
    template <class W> W* child(const char* name) {
        auto* w = window->findChild<W*>(name);
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    bool shown(const char* name) { return child<QWidget>(name)->isVisibleTo(window.get()); }
    int pictureStatus(QWidget* w) { return w->property("status").toInt(); }
    void linkRow(int row, const std::string& link) {
        GridRow r;
        r.status = RowStatus::Completed;
        r.event = "Replace Exes ";
        r.processingName = "Replacing programs";
        r.time = "05/03/2024 14:07:09";
        r.percent = "100 %";
        r.link = link;
        console.model.setGridRow(row, r);
    }
    // Clicks a grid cell (1-based row and column, as the grid numbers them).
    void clickCell(int row, int column) {
        auto* grid = child<QTableWidget>("Fpdata");
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, column - 1));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    // Clicks the link of `row` and lets `look` see the detail view it opens; the click returns once
    // the modal view is closed. Answers whether a view opened.
    bool openDetail(int row, const std::function<void(ui::FrmShowDetails*)>& look) {
        bool opened = false;
        QTimer::singleShot(0, [&] {
            if (auto* dialog = qobject_cast<ui::FrmShowDetails*>(QApplication::activeModalWidget())) {
                opened = true;
                look(dialog);
            }
        });
        clickCell(row, 6);
        return opened;
    }

    ProgramFolder folder;
    RecordingOperator op;
    Console console;
    std::vector<std::string> transcript;
    RecordingConnection* fake = nullptr;
    std::unique_ptr<FrmQuillan> window;
};

TEST_F(WindowTest, ChecklistRowsFollowTheModel) {
    EXPECT_EQ(pictureStatus(child<QLabel>("Imgstatus(9)")), 1);
    EXPECT_FALSE(shown("Prgbar(9)"));
    EXPECT_FALSE(shown("lblPercent(9)"));

    ChecklistRow row;
    row.status = RowStatus::InProgress;
    row.barVisible = true;
    row.barMax = 10;
    row.barValue = 3;
    row.percentVisible = true;
    row.percentText = "30 %";
    console.model.setChecklist(Row::ReplaceExes, row);
    EXPECT_EQ(pictureStatus(child<QLabel>("Imgstatus(9)")), 2);
    EXPECT_EQ(child<QLabel>("Imgstatus(9)")->pixmap().toImage(),
              window->pictures().picture(RowStatus::InProgress).toImage());
    EXPECT_TRUE(shown("Prgbar(9)"));
    EXPECT_EQ(child<QProgressBar>("Prgbar(9)")->maximum(), 10);
    EXPECT_EQ(child<QProgressBar>("Prgbar(9)")->value(), 3);
    EXPECT_TRUE(shown("lblPercent(9)"));
    EXPECT_EQ(child<QLabel>("lblPercent(9)")->text(), "30 %");

    row.status = RowStatus::Failed;
    row.barVisible = false;
    console.model.setChecklist(Row::ReplaceExes, row);
    EXPECT_EQ(pictureStatus(child<QLabel>("Imgstatus(9)")), 4);
    EXPECT_FALSE(shown("Prgbar(9)"));

    EXPECT_FALSE(shown("Prgbar1"));
    console.model.setOverall(true, 30);
    EXPECT_TRUE(shown("Prgbar1"));
    EXPECT_EQ(child<QProgressBar>("Prgbar1")->value(), 30);
    EXPECT_EQ(child<QLabel>("lblPercent(15)")->text(), "30 %");
}

TEST_F(WindowTest, GridStatusBoxLabelsAndPanelsFollowTheModel) {
    auto* grid = child<QTableWidget>("Fpdata");
    ASSERT_EQ(grid->columnCount(), 6);

    linkRow(4, "Show Exes");
    ASSERT_GE(grid->rowCount(), 4);
    EXPECT_EQ(grid->item(3, 1)->text(), "Replace Exes ");
    EXPECT_EQ(grid->item(3, 2)->text(), "Replacing programs");
    EXPECT_EQ(grid->item(3, 3)->text(), "05/03/2024 14:07:09");
    EXPECT_EQ(grid->item(3, 4)->text(), "100 %");
    EXPECT_EQ(grid->item(3, 5)->text(), "Show Exes");
    EXPECT_EQ(grid->item(3, 5)->foreground().color(), QColor(0, 0, 238));
    EXPECT_TRUE(grid->item(3, 5)->font().underline());
    EXPECT_EQ(pictureStatus(grid->cellWidget(3, 0)), 3);

    // Rewriting the row (in progress -> failed) overwrites it in place.
    GridRow failed = console.model.grid().at(4);
    failed.status = RowStatus::Failed;
    failed.percent = "0 %";
    console.model.setGridRow(4, failed);
    EXPECT_EQ(grid->rowCount(), 4);
    EXPECT_EQ(pictureStatus(grid->cellWidget(3, 0)), 4);
    EXPECT_EQ(grid->item(3, 4)->text(), "0 %");

    EXPECT_FALSE(shown("RchBox"));
    console.status(">>-Downloading script File");
    EXPECT_EQ(child<QPlainTextEdit>("RchBox")->toPlainText(), ">>-Downloading script File");
    console.model.setStatusBoxVisible(true);
    EXPECT_TRUE(shown("RchBox"));

    console.model.setLabel(Label::LblStatus, "Error while importing Script file. Check Log for details");
    EXPECT_EQ(child<QLabel>("LblStatus")->text(), "Error while importing Script file. Check Log for details");
    EXPECT_FALSE(shown("lblRegMessage"));
    console.model.setLabel(Label::lblRegMessage, "You may have to click on OK for Unregister/Register");
    EXPECT_TRUE(shown("lblRegMessage"));
    console.model.setLabel(Label::lblRegMessage, "");
    EXPECT_FALSE(shown("lblRegMessage"));

    console.model.setPanel(true, 3, "12.345 MB");
    console.model.setPanel(false, 1, "41");
    EXPECT_EQ(child<QLabel>("LblCDpStatus(3)")->text(), "12.345 MB");
    EXPECT_EQ(child<QLabel>("lblLastDepStatus(1)")->text(), "41");
    EXPECT_FALSE(shown("LblCDpStatus(7)"));
    console.model.setPanel(true, 7, "x"); // an index without caption still shows what it is given
    EXPECT_TRUE(shown("LblCDpStatus(7)"));

    console.model.setButton(Button::CmdExit, false);
    EXPECT_FALSE(child<QPushButton>("CmdExit")->isEnabled());
}

// What the end of a run looks like: the busy notice goes with the model's, the status sentence
// takes the outcome's colour, the status box spans the window, captions are shown whole, and the
// phase label (whose text ends in its own colon) is the caption of the current item.
TEST_F(WindowTest, TheEndOfARunReadsAsTheModelSaysIt) {
    console.model.setBusy(true);
    EXPECT_EQ(child<QLabel>("lblBusy")->text(), ui::kServerBusyText);
    console.model.setBusy(false);
    EXPECT_TRUE(child<QLabel>("lblBusy")->text().isEmpty());

    console.model.setLabel(Label::LblStatus, "Completed Successfuly");
    for (const LabelColour& colour : {kRed, kGreen}) {
        console.model.setLabelColour(Label::LblStatus, colour);
        auto* status = child<QLabel>("LblStatus");
        const QImage shot = status->grab().toImage();
        bool found = false;
        for (int y = 0; y < shot.height() && !found; ++y)
            for (int x = 0; x < shot.width() && !found; ++x)
                found = shot.pixelColor(x, y) == QColor(colour.red, colour.green, colour.blue);
        EXPECT_TRUE(found) << "the sentence is drawn in " << colour.red << "," << colour.green;
    }

    console.model.setStatusBoxVisible(true);
    EXPECT_GE(child<QWidget>("RchBox")->width(), child<QWidget>("Fpdata")->width());
    for (auto* box : {child<QWidget>("fraCurrentDeployment"), child<QWidget>("fraLastDeployment")})
        for (auto* caption : box->findChildren<QLabel*>()) {
            if (caption->isVisibleTo(window.get())) {
                EXPECT_GE(caption->width(), caption->sizeHint().width()) << caption->text().toStdString();
            }
        }

    console.model.setLabel(Label::lblDl, "Extracting        :");
    console.model.setLabel(Label::lblDownLoad, "Tervik.zip");
    for (auto* caption : window->findChildren<QLabel*>())
        EXPECT_NE(caption->text(), "Phase:");
    EXPECT_LT(child<QLabel>("lblDl")->x(), child<QLabel>("lblDownLoad")->x());
    EXPECT_EQ(child<QLabel>("lblDl")->y(), child<QLabel>("lblDownLoad")->y());
}

TEST_F(WindowTest, StateWrittenBeforeTheWindowExistedIsShown) {
    console.model.setLabel(Label::lblStTime, "05/03/2024 14:00:00");
    linkRow(2, "");
    FrmQuillan second(console, folder.path());
    EXPECT_EQ(second.findChild<QLabel*>("lblStTime")->text(), "05/03/2024 14:00:00");
    EXPECT_GE(second.findChild<QTableWidget*>("Fpdata")->rowCount(), 2);
}

TEST_F(WindowTest, FoldAndUnfoldKeepTheProportionOfTheTwoHeightsAndRecentre) {
    EXPECT_EQ(window->height(), window->unfoldedHeight());
    EXPECT_TRUE(shown("CmdUp"));
    EXPECT_FALSE(shown("CmdDown"));
    EXPECT_NEAR(double(window->foldedHeight()) / window->unfoldedHeight(), 3000.0 / 9285.0, 0.005);

    QTest::mouseClick(child<QPushButton>("CmdUp"), Qt::LeftButton);
    EXPECT_EQ(window->height(), window->foldedHeight());
    EXPECT_FALSE(shown("CmdUp"));
    EXPECT_TRUE(shown("CmdDown"));
    // The folded window still shows the whole checklist and the buttons.
    auto* last = child<QWidget>("Imgstatus(14)");
    EXPECT_LE(last->mapTo(window.get(), QPoint(0, last->height())).y(), window->height());
    auto* exit = child<QWidget>("CmdExit");
    EXPECT_LE(exit->mapTo(window.get(), QPoint(0, exit->height())).y(), window->height());
    // Centred; a window wider or taller than the screen keeps its left or top edge on it.
    const QRect area = window->screen()->availableGeometry();
    EXPECT_NEAR(window->x(), area.x() + std::max(0, area.width() / 2 - window->width() / 2), 1);
    EXPECT_NEAR(window->y(), area.y() + std::max(0, area.height() / 2 - window->height() / 2), 1);
    EXPECT_GT(window->y(), area.y()); // the folded window fits the offscreen screen's height

    QTest::mouseClick(child<QPushButton>("CmdDown"), Qt::LeftButton);
    EXPECT_EQ(window->height(), window->unfoldedHeight());
    EXPECT_TRUE(shown("CmdUp"));
    EXPECT_FALSE(shown("CmdDown"));
}

TEST_F(WindowTest, LongWorkLetsTheWindowProcessItsEvents) {
    bool delivered = false;
    QTimer::singleShot(0, window.get(), [&] { delivered = true; });
    console.model.processEvents(); // what a phase calls after each item
    EXPECT_TRUE(delivered);
}

TEST_F(WindowTest, F4AndAltF4AreSwallowedWhereverTheFocusIs) {
    auto* grid = child<QTableWidget>("Fpdata");
    for (QWidget* target : {static_cast<QWidget*>(window.get()), static_cast<QWidget*>(grid)}) {
        for (auto mods : {Qt::KeyboardModifiers{}, Qt::KeyboardModifiers{Qt::AltModifier}}) {
            QKeyEvent press(QEvent::KeyPress, Qt::Key_F4, mods);
            EXPECT_TRUE(QApplication::sendEvent(target, &press));
        }
    }
    QKeyEvent f3(QEvent::KeyPress, Qt::Key_F3, Qt::AltModifier);
    QApplication::sendEvent(window.get(), &f3);
    EXPECT_FALSE(f3.isAccepted()); // other keys are left alone
    QTest::keyClick(window.get(), Qt::Key_F4, Qt::AltModifier);
    EXPECT_TRUE(window->isVisible());
}

TEST_F(WindowTest, ClosingIsRefusedWhileARunIsGoingButAnEndedProgramClosesAtOnce) {
    window->setBusy(true);
    EXPECT_EQ(window->toolTip(), ui::kRequestPendingText);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    window->endProgram();
    EXPECT_FALSE(window->isVisible());
    EXPECT_NE(console.conn, nullptr); // no unload processing
}

TEST_F(WindowTest, ExitButtonUnloadsAndCloses) {
    QTest::mouseClick(child<QPushButton>("CmdExit"), Qt::LeftButton);
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(console.conn, nullptr); // unloading released the connection
}

TEST_F(WindowTest, ALinkAfterTheRunOpensTheDetailViewAndEscClosesIt) {
    linkRow(4, "Show Exes");
    fake->answers.push_back(
        db::Recordset({"File Name", "File Date"}, {{"Tervik.exe", DateTime{2024, 3, 5, 14, 7, 9}},
                                                   {"Stock.exe", DateTime{2024, 3, 6, 8, 0, 0}}}));
    console.state.run.outcome = RunOutcome::Completed;

    int rows = -1;
    QString header, firstName;
    EXPECT_TRUE(openDetail(4, [&](ui::FrmShowDetails* dialog) {
        rows = dialog->grid()->rowCount();
        header = dialog->grid()->horizontalHeaderItem(1)->text();
        firstName = dialog->grid()->item(0, 0)->text();
        QTest::keyClick(dialog, Qt::Key_Escape);
    }));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(header, "File Date");
    EXPECT_EQ(firstName, "Tervik.exe");
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_EQ(transcript.size(), 1u);
    EXPECT_TRUE(transcript[0].ends_with("file_names like '%.exe' order by VersionNo"));

    // Each click builds the view anew from a fresh query; the close button closes it too.
    fake->answers.push_back(db::Recordset({"File Name", "File Date"}, {{"Tervik.exe", db::Value{}}}));
    EXPECT_TRUE(openDetail(4, [&](ui::FrmShowDetails* dialog) {
        rows = dialog->grid()->rowCount();
        QTest::mouseClick(dialog->findChild<QPushButton*>("CmdClose"), Qt::LeftButton);
    }));
    EXPECT_EQ(rows, 1);
    EXPECT_EQ(transcript.size(), 2u);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(WindowTest, ALinkBeforeTheRunEndedOrAnotherColumnOpensNothing) {
    linkRow(4, "Show Exes");
    QSignalSpy opened(window.get(), &FrmQuillan::detailShown);
    console.state.run.outcome = RunOutcome::NotClosed;
    clickCell(4, 6);
    console.state.run.outcome = RunOutcome::Completed;
    clickCell(4, 2);
    fake->answers.clear(); // the query finds no row
    clickCell(4, 6);
    EXPECT_EQ(opened.count(), 0);
    EXPECT_EQ(transcript.size(), 1u);
}

TEST_F(WindowTest, PicturesComeFromTheImagesFolderWithoutRegardToCase) {
    for (RowStatus s : {RowStatus::New, RowStatus::InProgress, RowStatus::Completed, RowStatus::Failed})
        EXPECT_TRUE(window->pictures().fromFile(s)) << static_cast<int>(s);
    EXPECT_FALSE(child<QLabel>("imgLogo")->pixmap().isNull());
}

class WindowWithoutPicturesTest : public WindowTest {
protected:
    WindowWithoutPicturesTest() : WindowTest(false) {}
};

TEST_F(WindowWithoutPicturesTest, MissingPicturesAreDrawnAndTheWindowStillWorks) {
    for (RowStatus s : {RowStatus::New, RowStatus::InProgress, RowStatus::Completed, RowStatus::Failed}) {
        EXPECT_FALSE(window->pictures().fromFile(s));
        EXPECT_FALSE(window->pictures().picture(s).isNull());
    }
    EXPECT_NE(window->pictures().picture(RowStatus::Completed).toImage(),
              window->pictures().picture(RowStatus::Failed).toImage());
    ChecklistRow done;
    done.status = RowStatus::Completed;
    console.model.setChecklist(Row::ScriptImport, done);
    EXPECT_FALSE(child<QLabel>("Imgstatus(3)")->pixmap().isNull());
    linkRow(2, "");
    EXPECT_EQ(child<QTableWidget>("Fpdata")->item(1, 1)->text(), "Replace Exes ");
}

} // namespace
} // namespace quillan::uitest
