#pragma once
// The summary of one process, for schedulers and scripts: one JSON object on one line, appended
// to the runs file "DeployRuns.jsonl" in the run-log folder and, with --headless --json, printed
// as the last line of standard output. docs/usage.md lists its fields.
#include "base/Console.h"
#include "console/ExitCode.h"
#include "console/PhaseTimes.h"
#include "platform/DateTime.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quillan {

struct RunFacts {
    DateTime started, finished;
    ExitCode code = ExitCode::Completed;
    std::optional<std::string> releaseBefore, releaseAfter; // nullopt: not known
    const PhaseTimes* phases = nullptr;
};

// The object as one line of JSON text (no line end).
std::string runSummaryLine(const Console& c, const RunFacts& facts);

// The runs file of the console's run-log folder; nullopt before the folder is known.
std::optional<std::filesystem::path> runsFile(const Console& c);

// Appends `line` and a line end to `file`; answers an error text, or an empty text.
std::string appendRunLine(const std::filesystem::path& file, const std::string& line);

} // namespace quillan
