#pragma once
// The release's package: one ZIP archive holding every file of the release under its bare name,
// and, when it is larger than the split size, the split form the console joins again (a template
// and numbered pieces). Each file published gets its SetupDetails row, sizes filled in.
#include "app/release/ReleaseFiles.h"

#include <filesystem>
#include <vector>

namespace quillan::release {

struct PublishedFile {
    std::filesystem::path path; // where it was written
    SetupRow row;
};

// Writes the package of `files` into `folder` (members in the order given, each with its file's
// time, so the same files give the same bytes) and splits it when the options ask for it. Answers
// what the download fetches: the archive, or the template and its pieces. Throws ReleaseError.
std::vector<PublishedFile> buildPackage(const ReleaseOptions& o, const std::vector<ReleaseFile>& files,
                                        const std::filesystem::path& folder);

} // namespace quillan::release
