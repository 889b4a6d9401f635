#include "app/release/ReleasePlan.h"

#include "app/release/FileNames.h"
#include "app/release/ReleaseError.h"

namespace quillan::release {

const char* fileClassName(FileClass kind) {
    switch (kind) {
    case FileClass::Program:
        return "program";
    case FileClass::Report:
        return "report";
    case FileClass::Hotfix:
        return "hotfix script";
    case FileClass::Component:
        return "component";
    case FileClass::Other:
        return "other file";
    }
    return "?";
}

ReleasePlan planRelease(const ReleaseOptions& o, const std::function<void(const std::string&)>& warn) {
    std::vector<std::string> problems = optionProblems(o);
    const auto files = readReleaseFiles(o, warn, &problems);
    throwProblems(problems);

    ReleasePlan plan;
    const std::filesystem::path package = std::filesystem::path(o.deployFolder) / packageNameOf(o);
    for (const auto& f : files)
        plan.files.push_back({f.row.fileNames, f.kind, f.row.filePath, package});
    const std::string family = o.distributor.empty() ? o.masterFolder : o.transFolder;
    plan.script = std::filesystem::path(family) /
                  scriptFileName(o, o.zipScripts ? std::string("zip") : scriptExtension(o.format));
    return plan;
}

} // namespace quillan::release
