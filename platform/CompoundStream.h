#pragma once
// One stream of a compound file (the container an Excel 97 workbook is kept in), read in pieces:
// through the system's structured storage on Windows, through libgsf elsewhere.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>

namespace quillan {

class CompoundStream {
public:
    virtual ~CompoundStream() = default;
    // The next `n` bytes into `out`; false when fewer than `n` are left (the stream has ended).
    virtual bool read(std::size_t n, std::string& out) = 0;
    // The stream's length in bytes, as its container records it.
    virtual std::uint64_t size() const = 0;
};

// The stream `name` of the compound file `file`; nullptr when the file cannot be read, is no
// compound file or holds no stream of that name.
std::unique_ptr<CompoundStream> openCompoundStream(const std::filesystem::path& file,
                                                   const std::string& name);

} // namespace quillan
