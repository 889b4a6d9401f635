#include "install/BackupArchive.h"

#include "archive/Unzip.h"
#include "archive/Zip.h"

#include <optional>
#include <stdexcept>
#include <system_error>

namespace quillan {

namespace fs = std::filesystem;

namespace {

// The test proper: the member list, then every member read through (libzip checks each CRC).
void testArchive(const fs::path& archive, const std::string& member, std::optional<std::uintmax_t> size) {
    cUnzip u;
    u.ZipFile(archive);
    u.Directory();
    bool found = false;
    for (int i = 1; i <= u.FileCount(); ++i) {
        if (u.Filename(i) != member)
            continue;
        found = true;
        if (size && u.FileSize(i) != *size)
            throw std::runtime_error("The archive " + archive.string() + " holds " + member + " with " +
                                     std::to_string(u.FileSize(i)) + " bytes instead of " +
                                     std::to_string(*size));
    }
    if (!found)
        throw std::runtime_error("The archive " + archive.string() + " does not hold " + member);
    u.TestZip(true);
    u.Unzip();
}

} // namespace

fs::path backupArchiveOf(const fs::path& bak) {
    fs::path zip = bak;
    zip.replace_extension(".zip");
    return zip;
}

fs::path zipBackup(const fs::path& bak) {
    const fs::path archive = backupArchiveOf(bak);
    cZip zip;
    zip.ZipFile(archive);
    zip.AllowAppend(false);
    zip.StoreFolderNames(false);
    zip.StoreDirectories(false);
    zip.AddFileSpec(bak.string());
    zip.Zip();
    try {
        testBackupArchive(archive, bak.filename().string(), fs::file_size(bak));
    } catch (...) {
        std::error_code ec;
        fs::remove(archive, ec); // an archive that fails its test must not pass for a backup
        throw;
    }
    return archive;
}

void testBackupArchive(const fs::path& archive, const std::string& expectedMember,
                       std::uintmax_t expectedSize) {
    testArchive(archive, expectedMember, expectedSize);
}

fs::path unpackBackup(const fs::path& archive, const fs::path& folder, const std::string& member) {
    testArchive(archive, member, std::nullopt);
    cUnzip u;
    u.ZipFile(archive);
    u.Directory();
    for (int i = 1; i <= u.FileCount(); ++i)
        u.FileSelected(i, u.Filename(i) == member);
    u.UnzipFolder(folder);
    u.UseFolderNames(false);
    u.OverwriteExisting(true);
    u.Unzip();
    const fs::path bak = folder / member;
    std::error_code ec;
    if (!fs::is_regular_file(bak, ec))
        throw std::runtime_error("The archive " + archive.string() + " did not give back " + member);
    return bak;
}

} // namespace quillan
