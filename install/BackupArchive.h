#pragma once
// The database backup's archives: a .bak compressed into the ZIP of the same base name, and the
// test that an archive holds the .bak whole (every member read back and its CRC checked) before
// the .bak may be deleted or restored from.
#include <cstdint>
#include <filesystem>
#include <string>

namespace quillan {

// `bak` with its extension replaced by ".zip", in the same folder.
std::filesystem::path backupArchiveOf(const std::filesystem::path& bak);

// Compresses `bak` into backupArchiveOf(bak) (no folder names, no append) and tests the archive.
// Throws (ArchiveError, std::runtime_error) when the archive was not written or fails the test;
// the .bak itself is never touched here.
std::filesystem::path zipBackup(const std::filesystem::path& bak);

// Reads every member of `archive` back and checks its CRC, and that a member named
// `expectedMember` with `expectedSize` bytes is among them. Throws std::runtime_error or
// ArchiveError naming what is wrong.
void testBackupArchive(const std::filesystem::path& archive, const std::string& expectedMember,
                       std::uintmax_t expectedSize);

// Unpacks the member `member` of `archive` into `folder` after testing the archive as above
// (without a size to compare). Throws when the archive fails the test or holds no such member.
std::filesystem::path unpackBackup(const std::filesystem::path& archive, const std::filesystem::path& folder,
                                   const std::string& member);

} // namespace quillan
