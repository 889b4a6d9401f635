#pragma once
// Builds a release folder from the office's source folder: the package (whole or split) in the
// deploy folder, and the deploy script in the master or transaction folder, named by the naming
// rule. Everything is made in a staging folder beside the release folder first and moved into
// place only when complete, packages before the script (the script is what makes a release
// visible to the console), so a failure leaves the release folder as it was and no half file
// under a final name. A file already published under a name is never changed: publishing the same
// release again finds the same bytes and leaves them; different bytes under a published name are
// refused (the console fetches a script name only once).
#include "app/release/ReleaseOptions.h"
#include "app/release/SetupRow.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace quillan::release {

struct PublishedEntry {
    std::filesystem::path relative; // below the release folder, e.g. "Deploy/Release8.zip"
    std::uint64_t size = 0;
    bool unchanged = false; // it was there already with these bytes
};

struct ReleaseSummary {
    std::vector<PublishedEntry> files; // packages first, the deploy script last
    std::vector<SetupRow> rows;        // what the deploy script lists
};

// Throws ReleaseError (bad input, a conflict with a published file) or std::filesystem errors.
ReleaseSummary buildRelease(const ReleaseOptions& o,
                            const std::function<void(const std::string&)>& warn = {});

} // namespace quillan::release
