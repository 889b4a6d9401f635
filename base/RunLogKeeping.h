#pragma once
// Earlier run logs. The run log is recreated at every start; before that, the previous file is
// moved aside under a name with its start time ("DeployErrlog-20261207-190254.log"), and only the
// newest ones are kept. A run that found nothing to do gets "-nothing-to-do" in its name and goes
// first when the folder holds too many, so that repeated scheduled runs with nothing to install
// never push out the record of a run that installed (or failed to).
#include <filesystem>
#include <string>

namespace quillan {

struct RunLogKeeping {
    int keep = 0;                // earlier logs kept; 0 keeps none (the file is simply recreated)
    std::string nothingToDoLine; // a log holding this line recorded a run with nothing to do
};

// Moves `log` (when it exists) aside beside itself and prunes the earlier logs down to `keep`.
// Answers what went wrong, or an empty text; the log is recreated in any case.
std::string keepEarlierRunLog(const std::filesystem::path& log, const RunLogKeeping& keeping);

} // namespace quillan
