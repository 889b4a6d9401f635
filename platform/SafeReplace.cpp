// The safe replacement: copy to a temporary sibling, give it the source's time and permissions,
// then let the system rename it over the target (platform/OsHooks.h: os::renameOver).
#include "platform/SafeReplace.h"

#include "platform/FileAttributes.h"
#include "platform/FileCopy.h"
#include "platform/OsHooks.h"
#include "platform/Processes.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <string_view>

namespace quillan {
namespace fs = std::filesystem;

fs::path safeReplaceTemporaryFor(const fs::path& target) {
    static std::atomic<unsigned> counter{0};
    const std::string name = "." + target.filename().string() + "." + std::to_string(os::currentProcessId()) +
                             "-" + std::to_string(counter++) + ".part";
    return target.parent_path() / name;
}

namespace {

// The process that made `name`, when it has the shape of safeReplaceTemporaryFor's names:
// "." + file name + "." + process id + "-" + counter + ".part".
std::optional<std::uint32_t> temporaryOwner(std::string_view name) {
    if (!name.starts_with('.') || !name.ends_with(".part"))
        return std::nullopt;
    name.remove_suffix(5);
    const auto dot = name.rfind('.');
    const auto dash = name.rfind('-');
    if (dot == 0 || dot == std::string_view::npos || dash == std::string_view::npos || dash < dot)
        return std::nullopt;
    const std::string_view pid = name.substr(dot + 1, dash - dot - 1);
    const std::string_view counter = name.substr(dash + 1);
    std::uint32_t owner = 0, n = 0;
    const auto [pidEnd, pidError] = std::from_chars(pid.data(), pid.data() + pid.size(), owner);
    const auto [nEnd, nError] = std::from_chars(counter.data(), counter.data() + counter.size(), n);
    if (pid.empty() || counter.empty() || pidError != std::errc() || nError != std::errc() ||
        pidEnd != pid.data() + pid.size() || nEnd != counter.data() + counter.size())
        return std::nullopt;
    return owner;
}

// A process killed while it copied leaves its temporary beside the target, hidden, where nothing
// else would ever remove it. The first replacement of this process into a folder removes the
// temporaries there whose process no longer runs (one that runs may be copying right now); one
// look per folder, so that a release of many files is not slowed down.
void removeAbandonedTemporaries(const fs::path& folder) {
    static std::mutex mutex;
    static std::set<fs::path> swept;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!swept.insert(folder).second)
            return;
    }
    std::optional<std::vector<ProcessEntry>> running;
    std::error_code ec;
    for (auto it = fs::directory_iterator(folder, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const auto owner = temporaryOwner(it->path().filename().string());
        if (!owner || *owner == os::currentProcessId() || !it->is_regular_file(ec))
            continue;
        if (!running)
            running = listProcesses();
        if (std::any_of(running->begin(), running->end(),
                        [&](const ProcessEntry& p) { return p.pid == *owner; }))
            continue;
        std::error_code ignored;
        fs::remove(it->path(), ignored);
    }
}

} // namespace

void replaceFileSafely(const fs::path& source, const fs::path& target) {
    removeAbandonedTemporaries(target.parent_path());
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
