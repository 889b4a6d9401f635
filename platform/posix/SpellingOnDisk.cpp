// On POSIX the file system tells case apart: every entry is compared ignoring case.
#include "platform/SpellingOnDisk.h"

#include "platform/Text.h"

#include <algorithm>
#include <system_error>

namespace quillan {

std::vector<std::string> spellingsOnDisk(const std::filesystem::path& folder, const std::string& name) {
    std::vector<std::string> matches;
    std::error_code ec;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        std::string entry = it->path().filename().string();
        if (equalsNoCase(entry, name))
            matches.push_back(std::move(entry));
    }
    std::sort(matches.begin(), matches.end());
    return matches;
}

} // namespace quillan
