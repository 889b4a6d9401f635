#include "ui/RunWindowed.h"

#include "console/AnsweringOperator.h"
#include "console/ScriptedOperator.h"
#include "console/Session.h"
#include "platform/SystemInfo.h"
#include "ui/FrmQuillan.h"
#include "ui/QtOperator.h"

#include <QApplication>
#include <QTimer>

#include <cstdlib>
#include <iostream>
#include <string_view>

namespace quillan::ui {

namespace {
constexpr int kStartTimerMs = 10; // Timer1's interval

// The platform asked for on the command line ("-platform NAME") or in QT_QPA_PLATFORM.
std::string chosenPlatform(int argc, char** argv) {
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string_view(argv[i]) == "-platform" || std::string_view(argv[i]) == "--platform")
            return argv[i + 1];
    const char* env = std::getenv("QT_QPA_PLATFORM");
    return env ? env : "";
}

// Platforms that show nothing to anybody.
bool unseenPlatform(const QString& name) {
    return name == "offscreen" || name == "minimal";
}
} // namespace

bool windowCanOpen(int argc, char** argv, std::string& why) {
    const std::string platform = chosenPlatform(argc, argv);
    const bool needsDisplay =
        platform.empty() || platform.rfind("xcb", 0) == 0 || platform.rfind("wayland", 0) == 0;
    if (!needsDisplay || graphicalDisplayNamed())
        return true;
    why = "no display to open the window on (neither DISPLAY nor WAYLAND_DISPLAY is set); "
          "run with --headless to deploy without a window";
    return false;
}

int runWindowed(int& argc, char** argv, const std::filesystem::path& programFolder,
                const WindowedOptions& options) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillan");
    const bool unattended = options.unattendedWhenUnseen && unseenPlatform(QGuiApplication::platformName());

    QtOperator boxes;
    AnsweringOperator answering(options.answers, boxes); // command-line answers first, boxes for the rest
    ScriptedOperator scripted(options.answers, std::cout);
    Operator& op = unattended ? static_cast<Operator&>(scripted) : answering;
    Session session(programFolder, op);
    session.console().state.keptRunLogs = options.keptRunLogs;
    answering.setLog(&session.console().log);
    scripted.setLog(&session.console().log);
    session.refreshPanelsAtRunEnd();
    FrmQuillan window(session.console(), programFolder);
    boxes.setParent(&window);
    window.show();

    auto endedNow = [&] {
        if (!session.console().programEnded())
            return false;
        window.endProgram();
        return true;
    };
    // Nobody can close a window on an unseen platform: the program ends with the run.
    auto leaveWhenUnattended = [&] {
        if (unattended)
            window.endProgram();
    };
    auto run = [&] {
        session.runOnce();
        window.setBusy(false);
        if (!endedNow())
            leaveWhenUnattended();
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
            leaveWhenUnattended();
            return;
        }
        // Armed: the window stays busy until the run that the start timer begins has ended.
        QTimer::singleShot(kStartTimerMs, &window, run);
    });

    QApplication::exec();
    session.finish();
    return static_cast<int>(session.exitCode());
}

} // namespace quillan::ui
