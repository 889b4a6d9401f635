#pragma once
// Putting a new copy of a file in place so that the final name never holds half a file: the new
// bytes go to a temporary name in the target's folder first and are renamed over the target only
// when complete. Renaming also works where overwriting in place does not: over a read-only file,
// and on POSIX over a program that is running (it keeps its old copy until it ends).
#include <filesystem>

namespace quillan {

// Copies `source` to `target` (created or replaced). The copy keeps the source's modification
// time and permissions; a read-only mark on the old target is cleared first. Windows renames with
// MoveFileEx(MOVEFILE_REPLACE_EXISTING). Throws std::system_error or
// std::filesystem::filesystem_error with the system's reason; the target is then unchanged and
// the temporary file is gone.
void replaceFileSafely(const std::filesystem::path& source, const std::filesystem::path& target);

// The temporary name replaceFileSafely writes to before the rename: in the target's folder, hidden
// on POSIX, unique within this process. Exposed so that tests can look for left-overs.
std::filesystem::path safeReplaceTemporaryFor(const std::filesystem::path& target);

} // namespace quillan
