// Matching running programs by executable name; listing and ending them is the OS half.
#include "platform/Processes.h"

#include "platform/Text.h"

#include "platform/OsHooks.h"

#include <algorithm>
#include <cctype>

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

bool IsProcessRunning(const std::string& exeName) {
    if (exeName.empty()) {
        return false;
    }
    const std::string wanted = lowerCase(exeName);
    const auto all = listProcesses();
    return std::any_of(all.begin(), all.end(),
                       [&](const ProcessEntry& e) { return lowerCase(e.exeName) == wanted; });
}

} // namespace quillan
