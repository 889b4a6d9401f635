#pragma once
// Internal helpers shared by the two wrappers: owning libzip handles, readable error texts, and
// file-time conversions. Not part of the wrappers' interface.
#include "archive/ExtraTime.h"

#include <zip.h>

#include <filesystem>
#include <memory>
#include <string>

namespace quillan::archive {

struct ZipDiscard {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipHandle = std::unique_ptr<zip_t, ZipDiscard>;

// Opens an archive; throws ArchiveError naming the archive and libzip's reason.
ZipHandle openArchive(const std::filesystem::path& archive, int flags);
// libzip's text for the archive's last error.
std::string lastError(zip_t* z);

// The member's modification time: the extended timestamp or NTFS field when present (central
// header first, then local), otherwise the DOS time, read as local time.
SysTime memberTime(zip_t* z, zip_uint64_t index, const zip_stat_t& st);

SysTime fileModificationTime(const std::filesystem::path& file);
void setFileModificationTime(const std::filesystem::path& file, SysTime t);

// A name beside `target` that no member and no concurrent extraction uses.
std::filesystem::path temporarySibling(const std::filesystem::path& target);

std::string pathText(const std::filesystem::path& p);

} // namespace quillan::archive
