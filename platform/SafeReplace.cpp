// The safe replacement: copy to a temporary sibling, give it the source's time and permissions,
// then let the system rename it over the target (platform/OsHooks.h: os::renameOver).
#include "platform/SafeReplace.h"

#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"
#include "platform/OsHooks.h"

#include <atomic>
#include <string>

namespace quillan {
namespace fs = std::filesystem;

fs::path safeReplaceTemporaryFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + "." + std::to_string(os::currentProcessId()) +
                             "-" + std::to_string(counter++) + ".part";
    return target.parent_path() / name;
}

void replaceFileSafely(const fs::path& source, const fs::path& target) {
    const fs::path temporary = safeReplaceTemporaryFor(target);
    try {
        copyFileInChunks(source, temporary);
        // The time first: on Windows a read-only file's time can no longer be set.
        fs::last_write_time(temporary, fs::last_write_time(source));
        fs::permissions(temporary, fs::status(source).permissions());
        if (fs::is_regular_file(target))
            clearFileAttributes(target);
        os::renameOver(temporary, target);
    } catch (...) {
        std::error_code ec;
        if (fs::exists(fs::symlink_status(temporary, ec))) {
            fs::permissions(temporary, fs::perms::owner_write, fs::perm_options::add, ec);
            fs::remove(temporary, ec);
        }
        throw;
    }
}

} // namespace quillan
