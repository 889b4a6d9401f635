#pragma once
// The signed manifest published beside a deploy script: the release's version, the distributor
// it is for (or every one), when it was issued and when it expires, and the size and SHA-256 of
// every file the release consists of (the script, the package or its template and pieces).
#include "app/release/ReleaseOptions.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillan::release {

// Writes the signed manifest of `files` (already written, named as published) into `manifest`.
// Throws ReleaseError.
void writeReleaseManifest(const ReleaseOptions& o, const std::vector<std::filesystem::path>& files,
                          const std::filesystem::path& manifest);

} // namespace quillan::release
