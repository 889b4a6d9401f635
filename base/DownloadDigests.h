#pragma once
// The SHA-256 of the packages hashed while their bytes arrived, so that the packages' check need
// not read them once more. Each is kept with the file's size and modification time as the download
// left it: a file that has changed since, one resumed from an earlier attempt or one that was
// already on disk has no digest here and is read again.
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace quillan {

struct KnownDigest {
    std::uint64_t size = 0;
    std::string sha256; // 64 lower-case hex digits
};

class DownloadDigests {
public:
    // Whether the transports hash what they write; set by the program download on an installation
    // that verifies releases (hashing costs processor time that nothing else would use).
    bool wanted = false;

    // Keeps `sha256`, the digest of every byte written to `file`, with the file as it is now.
    void remember(const std::filesystem::path& file, std::string sha256);
    // The kept digest while `file` still has the size and time it had then.
    std::optional<KnownDigest> of(const std::filesystem::path& file) const;

private:
    struct Entry {
        KnownDigest digest;
        std::filesystem::file_time_type modified;
    };
    std::map<std::filesystem::path, Entry> byFile_;
};

} // namespace quillan
