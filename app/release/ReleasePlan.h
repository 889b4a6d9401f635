#pragma once
// What a release would publish, worked out without writing anything (quillan-release --dry-run):
// each file's class, the target folder the console will copy it to, and the package that carries
// it; the deploy script's place. The same checks as a real build, every problem at once.
#include "app/release/ReleaseFiles.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillan::release {

struct PlannedFile {
    std::string name;
    FileClass kind = FileClass::Other;
    std::string target;            // File_Path, e.g. "App.Path\Reports"
    std::filesystem::path package; // below the release folder, e.g. "Deploy/Release8.zip"
};

struct ReleasePlan {
    std::vector<PlannedFile> files;
    std::filesystem::path script; // below the release folder, e.g. "Master/SETUPDETAILS_000008.xml"
};

// Throws ReleaseError listing every problem of the options and the source folder.
ReleasePlan planRelease(const ReleaseOptions& o, const std::function<void(const std::string&)>& warn = {});

// "program", "report", "hotfix script", "component", "other file".
const char* fileClassName(FileClass kind);

} // namespace quillan::release
