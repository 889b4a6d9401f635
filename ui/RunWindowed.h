#pragma once
// The windowed program: creates the application, the main window and the console, runs start-up
// and the run on the window's thread, and returns the process exit code.
#include "base/Operator.h"
#include "console/Answers.h"

#include <filesystem>
#include <string>

namespace quillan::ui {

struct WindowedOptions {
    Answers answers;      // questions answered ahead on the command line (--answer)
    int keptRunLogs = 30; // earlier run logs kept (--keep-logs)
    // On a platform nobody sees (offscreen, minimal) a message box would wait for ever: there the
    // questions take their --answer or the safe answer, boxes are printed, and the program ends
    // with the run. False keeps the boxes (a test that answers them itself).
    bool unattendedWhenUnseen = true;
};

// False, saying why, when the window cannot open: no display is named and no platform that needs
// none is chosen (QT_QPA_PLATFORM, -platform). The toolkit would abort instead.
bool windowCanOpen(int argc, char** argv, std::string& why);

int runWindowed(int& argc, char** argv, const std::filesystem::path& programFolder,
                const WindowedOptions& options = {});

} // namespace quillan::ui
