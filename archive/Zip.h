#pragma once
// cZip: builds a ZIP archive from a list of file patterns. The system's callers set ZipFile,
// AllowAppend = StoreFolderNames = StoreDirectories = False, add one file pattern per file and
// call Zip; they rely on a new archive holding the listed files under their bare names.
//
// A fresh object stores no folder entries, strips folder names and does not recurse. Members are
// compressed with deflate (level CompressionLevel, 6 by default) straight from the files, and a
// member that deflate would make larger is stored instead. Each member carries its file's
// modification time both as DOS time and as an extended timestamp field (exact, UTC). Archives
// over 4 GB are written in the Zip64 form automatically. The archive is written under a temporary
// name and renamed when complete, so a failed Zip never leaves a half archive under ZipFile (with
// AllowAppend the previous archive stays as it was).
//
// Results and failures: Zip returns the result code (0 success) that Success() reflects. A failure
// (nothing to add, a plain pattern naming no file, two files with the same member name, an
// archive that cannot be read or written) sets a non-zero code and raises ArchiveError naming the
// archive and the reason: a backup whose archive was not written must not look done.
// BasePath resolves relative patterns; the process's current folder is never changed.
#include "archive/ArchiveError.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

class cZip {
public:
    // Result codes (the numbers of the classic zip tool).
    static constexpr int kOk = 0, kNothingToDo = 12, kBadArguments = 16, kCannotWrite = 15, kCannotRead = 18;

    void ZipFile(const std::filesystem::path& archive) { zipFile_ = archive; }
    const std::filesystem::path& ZipFile() const { return zipFile_; }
    // Root folder for relative patterns; blank (or only blanks) means the current folder.
    void BasePath(const std::filesystem::path& base) { basePath_ = base; }
    const std::filesystem::path& BasePath() const { return basePath_; }

    void AllowAppend(bool on) { allowAppend_ = on; }
    bool AllowAppend() const { return allowAppend_; }
    void StoreFolderNames(bool on) { storeFolderNames_ = on; }
    bool StoreFolderNames() const { return storeFolderNames_; }
    void StoreDirectories(bool on) { storeDirectories_ = on; }
    bool StoreDirectories() const { return storeDirectories_; }
    void RecurseSubDirs(bool on) { recurseSubDirs_ = on; }
    bool RecurseSubDirs() const { return recurseSubDirs_; }
    void CompressionLevel(int level) { level_ = level; } // 1 (fast) .. 9 (small)
    int CompressionLevel() const { return level_; }

    void ClearFileSpecs() { specs_.clear(); }
    void AddFileSpec(const std::string& pattern) { specs_.push_back(pattern); }
    int FileSpecCount() const { return static_cast<int>(specs_.size()); }
    const std::string& FileSpec(int i) const { return specs_.at(static_cast<std::size_t>(i - 1)); } // 1-based

    int Zip();
    bool Success() const { return lastResult_ == kOk; }
    int LastResult() const { return lastResult_; }

    // Removes from ZipFile the members whose names (or bare names) match an added pattern's last
    // component. Returns the result code; raises ArchiveError when the archive cannot be rewritten.
    int Delete();

private:
    [[noreturn]] void fail(int code, const std::string& reason);
    std::filesystem::path effectiveBase() const;

    std::filesystem::path zipFile_, basePath_;
    bool allowAppend_ = false, storeFolderNames_ = false, storeDirectories_ = false, recurseSubDirs_ = false;
    int level_ = 6;
    std::vector<std::string> specs_;
    int lastResult_ = kOk;
};

} // namespace quillan
