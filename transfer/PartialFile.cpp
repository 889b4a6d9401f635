#include "transfer/PartialFile.h"

#include <memory>
#include <system_error>

namespace quillan::transfer {

namespace {
// Disk writes go through a large buffer: network chunks are small, writes should not be.
constexpr std::size_t kWriteBuffer = 1 << 20;
} // namespace

PartialFile::PartialFile(std::filesystem::path finalPath)
    : final_(std::move(finalPath)), part_(partPathFor(final_)) {}

PartialFile::~PartialFile() {
    close();
}

std::filesystem::path PartialFile::partPathFor(const std::filesystem::path& finalPath) {
    std::filesystem::path p = finalPath;
    p += ".part";
    return p;
}

std::uint64_t PartialFile::existingBytes() const {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(part_, ec))
        return 0;
    auto n = std::filesystem::file_size(part_, ec);
    return ec ? 0 : n;
}

bool PartialFile::open(std::uint64_t offset) {
    close();
    if (offset > 0 && offset == existingBytes()) {
        out_ = std::fopen(part_.c_str(), "ab");
        size_ = offset;
    } else {
        out_ = std::fopen(part_.c_str(), "wb");
        size_ = 0;
    }
    if (out_ != nullptr)
        std::setvbuf(out_, nullptr, _IOFBF, kWriteBuffer);
    return out_ != nullptr;
}

bool PartialFile::write(const char* data, std::size_t size) {
    if (out_ == nullptr)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, out_) != size)
        return false;
    size_ += size;
    return true;
}

void PartialFile::close() {
    if (out_ != nullptr) {
        std::fclose(out_);
        out_ = nullptr;
    }
}

bool PartialFile::commit() {
    if (out_ == nullptr && !open(0))
        return false;
    bool flushed = std::fflush(out_) == 0;
    flushed = (std::fclose(out_) == 0) && flushed;
    out_ = nullptr;
    if (!flushed)
        return false;
    std::error_code ec;
    std::filesystem::rename(part_, final_, ec);
    return !ec;
}

void PartialFile::discard() {
    close();
    std::error_code ec;
    std::filesystem::remove(part_, ec);
    size_ = 0;
}

} // namespace quillan::transfer
