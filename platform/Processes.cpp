// Matching running programs by executable name; listing and ending them is the OS half.
#include "platform/Processes.h"

#include "platform/Text.h"

#include "platform/OsHooks.h"

#include <algorithm>
#include <cctype>
#include <thread>

namespace quillan {
namespace {

bool endsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

} // namespace

bool KillProcess(const std::string& exeName) {
    // An empty name would be a suffix of every program's name: end nothing rather than everything.
    if (exeName.empty()) {
        return false;
    }
    const std::string wanted = lowerCase(exeName);
    const std::uint32_t self = os::currentProcessId();
    bool found = false;
    for (const auto& entry : listProcesses()) {
        if (entry.pid != self && endsWith(lowerCase(entry.exeName), wanted)) {
            found = true;
            KillProcessById(entry.pid, 0);
        }
    }
    return found;
}

bool listsProgram(const std::vector<ProcessEntry>& processes, const std::string& exeName) {
    if (exeName.empty()) {
        return false;
    }
    const std::string wanted = lowerCase(exeName);
    return std::any_of(processes.begin(), processes.end(),
                       [&](const ProcessEntry& e) { return lowerCase(e.exeName) == wanted; });
}

bool IsProcessRunning(const std::string& exeName) {
    return listsProgram(listProcesses(), exeName);
}

bool endProgramAndWait(const std::string& exeName, std::chrono::milliseconds wait) {
    if (exeName.empty()) {
        return true; // no program has an empty name
    }
    const std::string wanted = lowerCase(exeName);
    const std::uint32_t self = os::currentProcessId();
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        bool found = false;
        for (const auto& entry : listProcesses()) {
            if (entry.pid != self && lowerCase(entry.exeName) == wanted) {
                found = true;
                KillProcessById(entry.pid, 0);
            }
        }
        if (!found) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            return !IsProcessRunning(exeName); // the last ending may have worked
        }
        // Ending is asynchronous on Windows: look again shortly rather than spin.
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

} // namespace quillan
