#pragma once
// What the release tool reports for input it cannot publish: the text names the file or option and
// says what to change. Nothing has been written to the release folder when it is thrown.
#include <stdexcept>
#include <string>
#include <vector>

namespace quillan::release {

class ReleaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Every problem of the input at once, so that one run of the tool lists all there is to mend:
// nothing when there is none, the text itself for one, a counted list for more.
inline void throwProblems(const std::vector<std::string>& problems) {
    if (problems.empty())
        return;
    if (problems.size() == 1)
        throw ReleaseError(problems.front());
    std::string text = std::to_string(problems.size()) + " problems; nothing was written:";
    for (const auto& p : problems)
        text += "\n  - " + p;
    throw ReleaseError(text);
}

} // namespace quillan::release
