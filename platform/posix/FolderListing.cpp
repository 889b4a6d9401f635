// Listing on POSIX: directory_iterator, the leading dot standing for the hidden attribute.
#include "platform/FolderListing.h"

#include <algorithm>

namespace quillan {

std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
        const std::string name = entry.path().filename().string();
        std::error_code ec;
        // is_regular_file follows a link, so a link to a file counts as the file it names.
        if (name.starts_with('.') || !entry.is_regular_file(ec))
            continue;
        files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace quillan
