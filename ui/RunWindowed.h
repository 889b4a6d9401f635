#pragma once
// The windowed program: creates the application, the main window and the console, runs start-up
// and the run on the window's thread, and returns the process exit code.
#include "base/Operator.h"
#include "console/Answers.h"

#include <filesystem>

namespace quillan::ui {

// `answers`: questions answered ahead on the command line (--answer); the window asks the rest.
int runWindowed(int& argc, char** argv, const std::filesystem::path& programFolder,
                const Answers& answers = {});

} // namespace quillan::ui
