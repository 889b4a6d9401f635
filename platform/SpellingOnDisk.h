#pragma once
// How a file name is spelt on disk, for the case-blind lookups of resolveCase (PathMap.h).
#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

// The entries of `folder` that `name` names without regard to case, as spelt on disk, sorted;
// none when the folder cannot be read. On POSIX the folder is read through; on Windows the system
// finds the one entry itself (a file system there holds one spelling of a name), so a lookup costs
// one entry, not the whole folder, however many files it holds.
std::vector<std::string> spellingsOnDisk(const std::filesystem::path& folder, const std::string& name);

} // namespace quillan
