// On Windows the file system ignores case itself: FindFirstFileW on the exact name (no wildcard)
// answers the one entry it finds, spelt as on disk. Reading the whole folder instead cost a
// deployment of 2,000 files a listing of the program folder for every file it touched.
#include "platform/SpellingOnDisk.h"

#include <windows.h>

namespace quillan {

std::vector<std::string> spellingsOnDisk(const std::filesystem::path& folder, const std::string& name) {
    // A Windows name cannot hold a wildcard: such a name finds nothing rather than a pattern's
    // matches.
    if (name.empty() || name.find_first_of("*?") != std::string::npos)
        return {};
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder / name).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    FindClose(search);
    return {std::filesystem::path(found.cFileName).string()};
}

} // namespace quillan
