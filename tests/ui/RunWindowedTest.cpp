// The windowed program end to end on a sample installation: runWindowed builds the application,
// shows the window, starts up, runs, and returns the session's exit code. A probe installed when
// the application is created answers the message boxes and watches the window as an operator would.
#include "ui/RunWindowed.h"
#include "app/sample/SampleInstallation.h"
#include "console/ExitCode.h"
#include "tests/support/TempDir.h"
#include "ui/FrmQuillan.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

namespace quillan {
namespace {

// What the probe does and saw; one per test process at a time.
struct Probe {
    bool cancelNotices = false;
    std::vector<std::string> boxes;
    bool sawBusy = false;
    bool closeRefusedWhileBusy = false;
    bool triedCloseWhileBusy = false;
    bool exitEnabledAfterRun = false;
    std::string bannerAtClosingBox = "(no closing box)";
    int ticks = 0;
};
Probe* probe = nullptr;

ui::FrmQuillan* mainWindow() {
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<ui::FrmQuillan*>(w); f && f->isVisible())
            return f;
    return nullptr;
}

void tick() {
    Probe& p = *probe;
    if (++p.ticks > 600) { // 120 s: give up rather than hang the test run
        QCoreApplication::exit(99);
        return;
    }
    ui::FrmQuillan* w = mainWindow();
    if (w && w->busy()) {
        p.sawBusy = true;
        if (!p.triedCloseWhileBusy) {
            p.triedCloseWhileBusy = true;
            p.closeRefusedWhileBusy = !w->close() && w->isVisible();
        }
    }
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        p.boxes.push_back(box->text().toStdString());
        if (w && p.boxes.back().rfind("Completed", 0) == 0) { // the run's outcome, as the operator reads it
            p.bannerAtClosingBox = w->findChild<QLabel*>("lblBusy")->text().toStdString();
        }
        QAbstractButton* answer = box->button(QMessageBox::Yes);
        if (!answer)
            answer = box->button(p.cancelNotices ? QMessageBox::Cancel : QMessageBox::Ok);
        if (!answer)
            answer = box->button(QMessageBox::Ok);
        if (answer)
            answer->click();
        return;
    }
    if (!w || w->busy())
        return;
    if (p.sawBusy) { // start-up and the run are over: the operator leaves
        p.exitEnabledAfterRun = w->findChild<QAbstractButton*>("CmdExit")->isEnabled();
        w->close();
    }
}

void installProbe() {
    if (!probe)
        return;
    auto* timer = new QTimer(QCoreApplication::instance());
    QObject::connect(timer, &QTimer::timeout, tick);
    timer->start(50);
}
Q_COREAPP_STARTUP_FUNCTION(installProbe)

class RunWindowedTest : public ::testing::Test {
protected:
    RunWindowedTest() {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        probe = &seen;
    }
    ~RunWindowedTest() override { probe = nullptr; }
    // A LAN installation, with a notice waiting when one is given.
    void makeSample(std::optional<std::string> notice = std::nullopt) {
        sample::SampleOptions o;
        o.folder = folder;
        o.mode = sample::Mode::Lan;
        o.notice = notice;
        makeSampleInstallation(o);
    }
    int run() {
        static char name[] = "quillan";
        char* argv[] = {name, nullptr};
        int argc = 1;
        ui::WindowedOptions o;
        o.unattendedWhenUnseen = false; // the probe answers the boxes
        return ui::runWindowed(argc, argv, folder, o);
    }

    test::TempDir dir{"quillan-window-run"};
    std::filesystem::path folder = dir.path() / "Tervik";
    Probe seen;
};

TEST_F(RunWindowedTest, CancelOnTheNoticeEndsTheProgramAndClosesTheWindow) {
    makeSample("Please close Tervik on every workstation");
    seen.cancelNotices = true;

    const int code = run();
    EXPECT_EQ(code, static_cast<int>(ExitCode::Stopped));
    ASSERT_FALSE(seen.boxes.empty());
    EXPECT_EQ(seen.boxes.back(), "Please close Tervik on every workstation");
    EXPECT_LT(seen.ticks, 600);
}

TEST_F(RunWindowedTest, ARunEndsWithTheWindowOpenAndClosingIsRefusedWhileItGoes) {
    makeSample();

    const int code = run();
    for (const auto& b : seen.boxes)
        std::cerr << "box: " << b << "\n";
    EXPECT_LT(seen.ticks, 600);
    EXPECT_TRUE(seen.sawBusy);
    EXPECT_TRUE(seen.closeRefusedWhileBusy);
    // The run was closed through the finishing operation, which enables the exit button.
    EXPECT_TRUE(seen.exitEnabledAfterRun);
    EXPECT_EQ(seen.bannerAtClosingBox, "") << "the run has ended: nothing to wait for";
    EXPECT_TRUE(code == static_cast<int>(ExitCode::Completed) ||
                code == static_cast<int>(ExitCode::CompletedWithErrors) ||
                code == static_cast<int>(ExitCode::FailedPutBack))
        << code;
}

} // namespace
} // namespace quillan
