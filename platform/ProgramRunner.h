#pragma once
// Running another program to its end: start it with arguments, wait for its exit code while the
// caller keeps its window painted, and give up after a time-out. The component registration's tool
// mode runs the system's registration tool this way.
#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillan {

struct ProgramRun {
    enum class Outcome {
        Exited,     // the program ended by itself; exitCode holds its code
        NotStarted, // it could not be started (not found, not executable); error says why
        TimedOut,   // it was still running at the time-out and has been ended
    };
    Outcome outcome = Outcome::NotStarted;
    int exitCode = -1; // POSIX: a program ended by a signal answers 128 + the signal number
    std::string error;
};

// Starts `program` with `arguments`, each arriving as one argument whatever blanks or quotes it
// holds (POSIX passes them as they are; Windows builds the command line with windowsCommandLine).
// A program given without a folder is searched on the system path. The child inherits no handle
// or descriptor beyond the standard ones. While it runs, `whileWaiting` (may be empty) is called
// about every 20 ms so that the window repaints; after `timeout` the child is ended and the answer
// is TimedOut, so a program waiting for an answer nobody gives cannot hold the run for ever.
ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::function<void()>& whileWaiting = {});

// The Windows command line for `program` and `arguments`, quoted so that the C runtime's parser
// (and CommandLineToArgvW) gives back exactly these words: a word with a blank, a tab or a quote,
// or an empty one, goes in double quotes; a quote inside is written \" and the backslashes before
// a quote or before the closing quote are doubled. Portable, so that it is tested everywhere.
std::string windowsCommandLine(const std::string& program, const std::vector<std::string>& arguments);

} // namespace quillan
