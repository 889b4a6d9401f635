// Forced deletion, the same on every system once the attributes are cleared.
#include "platform/FileAttributes.h"

#include <system_error>

namespace quillan {

bool forceDelete(const std::filesystem::path& file) {
    namespace fs = std::filesystem;
    const fs::file_status st = fs::symlink_status(file);
    if (!fs::exists(st))
        return false;
    if (fs::is_directory(st))
        throw fs::filesystem_error("cannot delete a folder as a file", file,
                                   std::make_error_code(std::errc::is_a_directory));
    if (!fs::is_symlink(st))
        clearFileAttributes(file);
    return fs::remove(file);
}

} // namespace quillan
