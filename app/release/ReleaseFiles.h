#pragma once
// The files of a release, read from the office's source folder: each classified (program, report,
// hotfix script, component, other file), its name checked against what a deploy script and a
// Windows folder can carry, and described by the SetupDetails row the console will load.
#include "app/release/ReleaseOptions.h"
#include "app/release/SetupRow.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillan::release {

enum class FileClass { Program, Report, Hotfix, Component, Other };

struct ReleaseFile {
    std::filesystem::path path; // in the source folder
    FileClass kind = FileClass::Other;
    SetupRow row;
};

// The class a file name falls in: ".exe" programs, ".rpt"/".rtm" reports, ".sql" hotfix scripts,
// the names given as components, everything else another file.
FileClass classify(const std::string& name, const std::set<std::string>& components);

// Reads the source folder: its plain files in name order (byte order, so the same folder gives the
// same release on every machine). Throws ReleaseError, naming the file, for a sub-folder or other
// non-file entry, a name that cannot be carried, two names Windows would take for one, a hotfix
// without its version line or with a number another hotfix has, a component named that is not in
// the folder, and an empty folder; every problem at once (ReleaseError's list). With `problems`
// the problems are added there instead, and the files read without one are answered. `warn`
// receives advice that does not stop the release.
std::vector<ReleaseFile> readReleaseFiles(const ReleaseOptions& o,
                                          const std::function<void(const std::string&)>& warn = {},
                                          std::vector<std::string>* problems = nullptr);

} // namespace quillan::release
