#pragma once
// Clearing a file's attributes and deleting a file whatever its read-only mark. The backup step
// resets the attributes of every copy it made, and the clean-up deletes copies that came from
// read-only originals.
#include <filesystem>

namespace quillan {

// Windows: the attributes become "normal" (read-only, hidden, system and archive cleared).
// POSIX: the owner may read and write the file; the other permission bits are kept.
// Throws std::filesystem::filesystem_error when the file is missing or cannot be changed.
void clearFileAttributes(const std::filesystem::path& file);

// Clears the attributes, then deletes the file. True when a file was deleted, False when there
// was none; throws std::filesystem::filesystem_error when it exists but cannot be deleted (a
// folder of that name is not deleted either).
bool forceDelete(const std::filesystem::path& file);

} // namespace quillan
