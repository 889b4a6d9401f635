// POSIX has no attribute bits: "read-only" is the missing write permission of the owner.
#include "platform/FileAttributes.h"

namespace quillan {

void clearFileAttributes(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add);
}

} // namespace quillan
