#pragma once
// A download in progress is written to "<name>.part" beside its final name and renamed only once
// complete, so an interrupted transfer never leaves a file that later counts as "already
// available"; the next attempt resumes the partial file where the server allows.
#include <cstdint>
#include <cstdio>
#include <filesystem>

namespace quillan::transfer {

class PartialFile {
public:
    explicit PartialFile(std::filesystem::path finalPath);
    ~PartialFile(); // closes; the partial file stays for a later resume
    PartialFile(const PartialFile&) = delete;
    PartialFile& operator=(const PartialFile&) = delete;

    static std::filesystem::path partPathFor(const std::filesystem::path& finalPath);
    const std::filesystem::path& partPath() const { return part_; }
    const std::filesystem::path& finalPath() const { return final_; }

    // Bytes already on disk from an earlier attempt (0 when none).
    std::uint64_t existingBytes() const;
    // Opens for appending after `offset` bytes (0 = start afresh). Returns false on failure.
    bool open(std::uint64_t offset);
    bool isOpen() const { return out_ != nullptr; }
    bool write(const char* data, std::size_t size);
    std::uint64_t size() const { return size_; } // bytes in the partial file
    // Flushes, closes and renames onto the final name (replacing it). False on failure.
    bool commit();
    void discard(); // closes and removes the partial file
    void close();

private:
    std::filesystem::path final_;
    std::filesystem::path part_;
    std::FILE* out_ = nullptr;
    std::uint64_t size_ = 0;
};

} // namespace quillan::transfer
