#pragma once
// SHA-256 over a stream of bytes, and over a file read in blocks of a fixed size, so that memory
// stays the same whatever the file's size.
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillan::trust {

// A file's size and SHA-256 as 64 lower-case hex digits.
struct FileDigest {
    std::uint64_t size = 0;
    std::string sha256;
    bool operator==(const FileDigest&) const = default;
};

class Sha256 {
public:
    Sha256();
    ~Sha256();
    Sha256(const Sha256&) = delete;
    Sha256& operator=(const Sha256&) = delete;
    void update(std::string_view bytes);
    // The digest of everything given so far, as hex; the object is finished afterwards.
    std::string finishHex();

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Nothing when the file cannot be read to its end.
std::optional<FileDigest> digestOfFile(const std::filesystem::path& file);

// Why `file` is not the file a signed manifest lists as `listed` ("it has 10 bytes, the signed
// manifest 12"), or empty when its size and SHA-256 are the listed ones.
std::string whyFileDiffers(const std::filesystem::path& file, const FileDigest& listed);
// The same for a file whose digest is already known (hashed as it was written).
std::string whyDigestDiffers(const FileDigest& actual, const FileDigest& listed);

} // namespace quillan::trust
