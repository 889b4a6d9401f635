#include "ui/RunWindowed.h"

#include "console/AnsweringOperator.h"
#include "console/Session.h"
#include "ui/FrmQuillan.h"
#include "ui/QtOperator.h"

#include <QApplication>
#include <QTimer>

namespace quillan::ui {

namespace {
constexpr int kStartTimerMs = 10; // Timer1's interval
}

int runWindowed(int& argc, char** argv, const std::filesystem::path& programFolder, const Answers& answers) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillan");

    QtOperator op;
    AnsweringOperator answering(answers, op); // command-line answers first, message boxes for the rest
    Session session(programFolder, answering);
    answering.setLog(&session.console().log);
    session.refreshPanelsAtRunEnd();
    FrmQuillan window(session.console(), programFolder);
    op.setParent(&window);
    window.show();

    auto endedNow = [&] {
        if (!session.console().programEnded())
            return false;
        window.endProgram();
        return true;
    };
    auto run = [&] {
        session.runOnce();
        window.setBusy(false);
        endedNow();
    };
    // Start-up runs once the window is on screen, as Form_Load did behind the visible form.
    QTimer::singleShot(0, &window, [&] {
        window.setBusy(true);
        const StartupOutcome outcome = session.start();
        if (endedNow() || outcome == StartupOutcome::ProgramEnded) {
            window.endProgram();
            return;
        }
        if (outcome != StartupOutcome::Armed) {
            window.setBusy(false); // stopped without a run: the window stays open
            return;
        }
        // Armed: the window stays busy until the run that the start timer begins has ended.
        QTimer::singleShot(kStartTimerMs, &window, run);
    });

    QApplication::exec();
    return static_cast<int>(session.exitCode());
}

} // namespace quillan::ui
