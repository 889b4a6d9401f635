// The windowed program on Windows: the common controls, the main window and the console, start-up
// and the run on the window's thread, and the process exit code.
#include "ui/RunWindowed.h"

#include "console/AnsweringOperator.h"
#include "console/Session.h"
#include "ui/win32/FrmQuillan.h"
#include "ui/win32/MessageBoxOperator.h"

#include <windows.h>

#include <commctrl.h>
#include <objidl.h>

#include <gdiplus.h>

namespace quillan::ui {

namespace {

constexpr int kStartTimerMs = 10; // Timer1's interval

// GDI+ (the status pictures' reader) for the window's lifetime.
class GdiplusSession {
public:
    GdiplusSession() {
        Gdiplus::GdiplusStartupInput input;
        ok_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
    }
    ~GdiplusSession() {
        if (ok_)
            Gdiplus::GdiplusShutdown(token_);
    }
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

private:
    ULONG_PTR token_ = 0;
    bool ok_ = false;
};

// Started from the desktop, the program got a console of its own that nobody reads: let it go.
// Started from a command prompt or a scheduler's shell, the console is shared and stays.
void leaveOwnConsole() {
    DWORD processes[2];
    if (GetConsoleWindow() && GetConsoleProcessList(processes, 2) == 1)
        FreeConsole();
}

} // namespace

// Windows always has a desktop to open the window on; a service without one gets no window from
// the system either way, and the scheduler runs --headless.
bool windowCanOpen(int argc, char** argv, std::string& why) {
    (void)argc, (void)argv, (void)why;
    return true;
}

int runWindowed(int& argc, char** argv, const std::filesystem::path& programFolder,
                const WindowedOptions& options) {
    (void)argc, (void)argv;
    leaveOwnConsole();
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS |
                                                       ICC_LISTVIEW_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    LoadLibraryW(L"Msftedit.dll"); // the status box's rich edit control
    GdiplusSession gdiplus;

    win32::MessageBoxOperator op;
    AnsweringOperator answering(options.answers, op); // command-line answers first, boxes for the rest
    Session session(programFolder, answering);
    session.console().state.keptRunLogs = options.keptRunLogs;
    answering.setLog(&session.console().log);
    session.refreshPanelsAtRunEnd();
    win32::FrmQuillan window(session.console(), programFolder);
    op.setOwner(window.handle());
    window.show();

    auto endedNow = [&] {
        if (!session.console().programEnded())
            return false;
        window.endProgram();
        return true;
    };
    // Start-up runs once the window is on screen, as Form_Load did behind the visible form.
    window.after(0, [&] {
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
        window.after(kStartTimerMs, [&] {
            session.runOnce();
            window.setBusy(false);
            endedNow();
        });
    });

    // The window's message loop; it ends when the window is destroyed.
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0)
        window.dispatch(msg);
    session.finish(); // the run summary in the runs file
    return static_cast<int>(session.exitCode());
}

} // namespace quillan::ui
