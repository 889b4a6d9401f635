#pragma once
// A download in progress is written to "<name>.part" beside its final name and renamed only once
// complete, so an interrupted transfer never leaves a file that later counts as "already
// available". Beside the partial file lies a small record, "<name>.part.info", of what the
// server said about the file when the partial file was begun (its size, its time, its ETag): the
// next attempt resumes only while the server still says the same, so bytes of an earlier, other
// file are never joined to this one's.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>

namespace quillan::trust {
class Sha256;
}

namespace quillan::transfer {

// What a server tells of a file, as far as it tells it.
struct RemoteStamp {
    std::optional<std::uint64_t> size;
    std::string time; // the server's own text (FTP MDTM as seconds, HTTP Last-Modified)
    std::string etag; // HTTP only

    // True when something besides the size can tell one version of the file from another.
    bool identifiesVersion() const { return !time.empty() || !etag.empty(); }
    bool operator==(const RemoteStamp&) const = default;
};

class PartialFile {
public:
    explicit PartialFile(std::filesystem::path finalPath);
    ~PartialFile(); // closes; the partial file and its record stay for a later resume
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    static std::filesystem::path partPathFor(const std::filesystem::path& finalPath);
    static std::filesystem::path recordPathFor(const std::filesystem::path& finalPath);
    const std::filesystem::path& partPath() const { return part_; }
    const std::filesystem::path& finalPath() const { return final_; }

    // Bytes already on disk from an earlier attempt (0 when none).
    std::uint64_t existingBytes() const;
    // The record left beside the partial file; nullopt when there is none or it cannot be read.
    std::optional<RemoteStamp> savedStamp() const;
    // Writes the record through a temporary name, so it is either whole or absent. False when it
    // cannot be written (no record is left then).
    bool saveStamp(const RemoteStamp& stamp);
    // Asks for the SHA-256 of a file written from its first byte, hashed as the bytes are written
    // (no second read). Call before open(); a file continued from an earlier attempt gets none.
    void hashWhatIsWritten() { hashing_ = true; }
    // Opens for appending after `offset` bytes (0 = start afresh). Returns false on failure.
    bool open(std::uint64_t offset);
    bool isOpen() const { return out_ != nullptr; }
    bool write(const char* data, std::size_t size);
    std::uint64_t size() const { return size_; } // bytes in the partial file
    // Flushes, closes and renames onto the final name (replacing it); the record goes. False on
    // failure.
    bool commit();
    void discard(); // closes and removes the partial file and its record
    void close();
    // After commit(): the SHA-256 of the whole file when it was asked for and written in one pass.
    const std::optional<std::string>& sha256() const { return sha256_; }

private:
    void removeRecord();

    std::filesystem::path final_;
    std::filesystem::path part_;
    std::filesystem::path record_;
    std::FILE* out_ = nullptr;
    std::uint64_t size_ = 0;
    bool hashing_ = false;
    std::unique_ptr<trust::Sha256> hash_; // while a file begun afresh is written
    std::optional<std::string> sha256_;
};

} // namespace quillan::transfer
