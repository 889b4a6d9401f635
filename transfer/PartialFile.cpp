#include "transfer/PartialFile.h"

#include "platform/OpenFile.h"
#include "trust/Digest.h"

#include <charconv>
#include <fstream>
#include <sstream>
#include <system_error>

namespace quillan::transfer {

namespace {
// Disk writes go through a large buffer: network chunks are small, writes should not be.
constexpr std::size_t kWriteBuffer = 1 << 20;
} // namespace

PartialFile::PartialFile(std::filesystem::path finalPath)
    : final_(std::move(finalPath)), part_(partPathFor(final_)), record_(recordPathFor(final_)) {}

PartialFile::~PartialFile() {
    close();
}

std::filesystem::path PartialFile::partPathFor(const std::filesystem::path& finalPath) {
    std::filesystem::path p = finalPath;
    p += ".part";
    return p;
}

std::filesystem::path PartialFile::recordPathFor(const std::filesystem::path& finalPath) {
    std::filesystem::path p = partPathFor(finalPath);
    p += ".info";
    return p;
}

// The record is three lines, "size=", "time=" and "etag=", each followed by its value (empty
// when the server did not tell it).
std::optional<RemoteStamp> PartialFile::savedStamp() const {
    std::ifstream in(record_, std::ios::binary);
    if (!in)
        return std::nullopt;
    RemoteStamp stamp;
    std::string line;
    int fields = 0;
    while (std::getline(in, line)) {
        if (line.starts_with("size=")) {
            const std::string_view v = std::string_view(line).substr(5);
            if (!v.empty()) {
                std::uint64_t n = 0;
                auto [end, ec] = std::from_chars(v.data(), v.data() + v.size(), n);
                if (ec != std::errc() || end != v.data() + v.size())
                    return std::nullopt;
                stamp.size = n;
            }
            ++fields;
        } else if (line.starts_with("time=")) {
            stamp.time = line.substr(5);
            ++fields;
        } else if (line.starts_with("etag=")) {
            stamp.etag = line.substr(5);
            ++fields;
        }
    }
    if (fields != 3)
        return std::nullopt; // cut short or not ours
    return stamp;
}

bool PartialFile::saveStamp(const RemoteStamp& stamp) {
    std::ostringstream text;
    text << "size=" << (stamp.size ? std::to_string(*stamp.size) : std::string()) << "\n";
    text << "time=" << stamp.time << "\n";
    text << "etag=" << stamp.etag << "\n";
    std::filesystem::path temporary = record_;
    temporary += ".tmp";
    bool written = false;
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        const std::string body = text.str();
        written =
            static_cast<bool>(out.write(body.data(), static_cast<std::streamsize>(body.size())).flush());
    }
    std::error_code ec;
    if (written)
        std::filesystem::rename(temporary, record_, ec);
    if (!written || ec) {
        std::filesystem::remove(temporary, ec);
        removeRecord();
        return false;
    }
    return true;
}

void PartialFile::removeRecord() {
    std::error_code ec;
    std::filesystem::remove(record_, ec);
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
        out_ = openFile(part_, "ab");
        size_ = offset;
    } else {
        out_ = openFile(part_, "wb");
        size_ = 0;
    }
    if (out_ != nullptr)
        std::setvbuf(out_, nullptr, _IOFBF, kWriteBuffer);
    hash_.reset();
    if (out_ != nullptr && hashing_ && size_ == 0)
        hash_ = std::make_unique<trust::Sha256>();
    return out_ != nullptr;
}

bool PartialFile::write(const char* data, std::size_t size) {
    if (out_ == nullptr)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, out_) != size)
        return false;
    if (hash_)
        hash_->update(std::string_view(data, size));
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
    if (ec)
        return false;
    removeRecord();
    if (hash_)
        sha256_ = hash_->finishHex();
    hash_.reset();
    return true;
}

void PartialFile::discard() {
    close();
    hash_.reset();
    std::error_code ec;
    std::filesystem::remove(part_, ec);
    removeRecord();
    size_ = 0;
}

} // namespace quillan::transfer
