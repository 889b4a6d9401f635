#include "base/DownloadDigests.h"

#include <system_error>

namespace quillan {

namespace fs = std::filesystem;

void DownloadDigests::remember(const fs::path& file, std::string sha256) {
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto modified = fs::last_write_time(file, timeError);
    if (sizeError || timeError) {
        byFile_.erase(file);
        return;
    }
    byFile_[file] = Entry{KnownDigest{size, std::move(sha256)}, modified};
}

std::optional<KnownDigest> DownloadDigests::of(const fs::path& file) const {
    const auto it = byFile_.find(file);
    if (it == byFile_.end())
        return std::nullopt;
    std::error_code sizeError, timeError;
    const auto size = fs::file_size(file, sizeError);
    const auto modified = fs::last_write_time(file, timeError);
    if (sizeError || timeError || size != it->second.digest.size || modified != it->second.modified)
        return std::nullopt;
    return it->second.digest;
}

} // namespace quillan
