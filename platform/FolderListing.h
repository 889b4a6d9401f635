#pragma once
// The plain files of one folder, as the file-system object's Files collection gives them to the
// phases that walk a folder: no sub-folders, and nothing hidden or marked as the system's.
#include <filesystem>
#include <vector>

namespace quillan {

// The files directly in `folder`, sorted by name. Skipped: folders, hidden files and system files
// (Windows attributes; on POSIX a name starting with "." is hidden and anything that is not a
// regular file, such as a socket or a device, is the system's). Throws
// std::filesystem::filesystem_error when the folder cannot be read.
std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder);

} // namespace quillan
