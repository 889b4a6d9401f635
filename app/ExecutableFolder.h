#pragma once
// Where the running program lives (the program folder when none is given), and whether standard
// input is a terminal (then open questions are asked there).
#include <filesystem>

namespace quillan::app {

std::filesystem::path executableFolder(const char* argv0);
bool standardInputIsTerminal();

} // namespace quillan::app
