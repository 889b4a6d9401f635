#pragma once
// cUnzip: extracts a ZIP archive into a folder. The system's callers set ZipFile, OverwriteExisting
// (True), UnzipFolder and UseFolderNames (False) and call Unzip; they rely on every member landing
// in the target folder under its bare name (a later member replacing an earlier one of the same
// name) and on a failure being raised for an archive that cannot be read.
//
// Extraction is safe against hostile member names: in flat mode a member is written under its bare
// name (so "../x", "/etc/x", "C:\x" all become "x" in the target folder); a member whose bare name
// is "." or ".." is skipped and reported in SkippedMembers(). With UseFolderNames a member whose
// path holds a ".." component is skipped and reported the same way. Folder entries create nothing
// in flat mode.
//
// Each member is streamed into a temporary name in its target folder and renamed when complete,
// so no half-written file ever carries a member's name; its modification time is the member's
// exact stored time (extended timestamp or NTFS field when present, else the DOS time).
//
// Before anything is written the whole archive is checked: members whose stored data overlap (a
// crafted directory listing one member many times) and declared sizes that exceed the free space
// of UnzipFolder raise ArchiveError and extract nothing. A member whose path collides with a file
// or folder already there (flat extraction brings names together) raises ArchiveError too.
//
// Failures: Unzip returns False only when ZipFile is empty. An archive that cannot be opened, a
// member that cannot be read (damaged data, CRC mismatch, encryption) or written raises
// ArchiveError naming the archive and the reason. A failure half-way leaves the members already
// written in place.
#include "archive/ArchiveError.h"
#include "platform/DateTime.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

class cUnzip {
public:
    // Assigning the archive forgets the directory list.
    void ZipFile(const std::filesystem::path& archive);
    const std::filesystem::path& ZipFile() const { return zipFile_; }
    void UnzipFolder(const std::filesystem::path& folder) { unzipFolder_ = folder; }
    const std::filesystem::path& UnzipFolder() const { return unzipFolder_; }

    // True keeps the folders stored in the archive; False (the default) writes every member
    // directly into UnzipFolder.
    void UseFolderNames(bool on) { useFolderNames_ = on; }
    bool UseFolderNames() const { return useFolderNames_; }
    // True replaces existing files; False (the default) keeps them and skips the member.
    void OverwriteExisting(bool on) { overwriteExisting_ = on; }
    bool OverwriteExisting() const { return overwriteExisting_; }
    // True extracts a member only when no file exists or the existing file is older.
    void ExtractOnlyNewer(bool on) { extractOnlyNewer_ = on; }
    bool ExtractOnlyNewer() const { return extractOnlyNewer_; }
    // True reads and checks every selected member without writing anything.
    void TestZip(bool on) { testZip_ = on; }
    bool TestZip() const { return testZip_; }

    // Lists the archive's file members (folder entries left out) into the directory list, every
    // entry selected. Throws ArchiveError when the archive cannot be opened.
    void Directory();
    int FileCount() const { return static_cast<int>(entries_.size()); }
    // Entry accessors, 1-based; an index outside 1..FileCount throws std::out_of_range.
    const std::string& Filename(int i) const { return entry(i).fileName; }
    const std::string& FileDirectory(int i) const { return entry(i).folder; }
    std::uint64_t FileSize(int i) const { return entry(i).size; }
    std::uint64_t FilePackedSize(int i) const { return entry(i).packedSize; }
    DateTime FileDate(int i) const { return entry(i).date; } // local time
    std::uint32_t FileCRC(int i) const { return entry(i).crc; }
    bool FileEncrypted(int i) const { return entry(i).encrypted; }
    bool FileSelected(int i) const { return entry(i).selected; }
    void FileSelected(int i, bool on) { mutableEntry(i).selected = on; }

    // Extracts the archive (after Directory: only the selected entries). See the header comment.
    bool Unzip();

    // Stored names of the members the last Unzip skipped because they were unsafe.
    const std::vector<std::string>& SkippedMembers() const { return skipped_; }

private:
    struct Entry {
        std::uint64_t index = 0; // position in the archive
        std::string fileName, folder;
        std::uint64_t size = 0, packedSize = 0;
        DateTime date;
        std::uint32_t crc = 0;
        bool encrypted = false;
        bool selected = true;
    };
    const Entry& entry(int i) const;
    Entry& mutableEntry(int i);

    std::filesystem::path zipFile_, unzipFolder_;
    bool useFolderNames_ = false, overwriteExisting_ = false, extractOnlyNewer_ = false, testZip_ = false;
    std::vector<Entry> entries_;
    std::vector<std::string> skipped_;
};

} // namespace quillan
