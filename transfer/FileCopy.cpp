#include "transfer/FileCopy.h"

#include "platform/FileCopy.h"
#include "platform/OpenFile.h"
#include "trust/Digest.h"

#include <algorithm>
#include <cerrno>
#include <memory>
#include <system_error>
#include <vector>

namespace quillan::transfer {

namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using OpenedFile = std::unique_ptr<std::FILE, FileCloser>;

std::system_error ioError(const std::string& what) {
    return std::system_error(errno ? errno : EIO, std::generic_category(), what);
}

// The copy through one buffer of ours, hashed on the way; the number of bytes copied.
std::uint64_t copyHashing(const std::filesystem::path& from, const std::filesystem::path& to,
                          const CopyProgress& progress, std::size_t chunk, std::uint64_t total,
                          std::string& sha256) {
    OpenedFile in(openFile(from, "rb"));
    if (!in)
        throw ioError("cannot open " + from.string());
    OpenedFile out(openFile(to, "wb"));
    if (!out)
        throw ioError("cannot create " + to.string());
    // Small enough to stay in the processor's cache while it is hashed and written; progress is
    // still told once a chunk, as the kernel's copy tells it.
    std::vector<char> buffer(std::clamp<std::size_t>(chunk, 1, 1u << 20));
    trust::Sha256 hash;
    std::uint64_t copied = 0, told = 0;
    // Each pass moves one buffer or meets the end of the source; a source that grows meanwhile
    // ends the loop past the size it had (and the copy fails on the size).
    while (copied <= total) {
        const std::size_t got = std::fread(buffer.data(), 1, buffer.size(), in.get());
        if (std::fwrite(buffer.data(), 1, got, out.get()) != got)
            throw ioError("cannot write " + to.string());
        hash.update(std::string_view(buffer.data(), got));
        copied += got;
        const bool ended = got < buffer.size();
        if (ended && std::ferror(in.get()))
            throw ioError("cannot read " + from.string());
        if (progress && copied != told && (ended || copied - told >= chunk)) {
            progress(copied, total);
            told = copied;
        }
        if (ended)
            break;
    }
    if (std::fclose(out.release()) != 0)
        throw ioError("cannot write " + to.string());
    sha256 = hash.finishHex();
    return copied;
}

} // namespace

std::filesystem::path copyTemporaryFor(const std::filesystem::path& to) {
    std::filesystem::path temp = to;
    temp += ".lancopy";
    return temp;
}

void copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        const CopyProgress& progress, std::size_t chunk, std::string* sha256) {
    const std::uint64_t total = std::filesystem::file_size(from);
    const auto modified = std::filesystem::last_write_time(from);
    const std::filesystem::path temp = copyTemporaryFor(to);
    try {
        std::string digest;
        const std::uint64_t copied = sha256 ? copyHashing(from, temp, progress, chunk, total, digest)
                                            : copyFileInChunks(from, temp, progress, chunk);
        if (copied != total) // the source changed under us: not a faithful copy
            throw std::system_error(EIO, std::generic_category(),
                                    "size of " + from.string() + " changed while copying");
        std::filesystem::last_write_time(temp, modified);
        std::filesystem::rename(temp, to);
        if (sha256)
            *sha256 = std::move(digest);
    } catch (const std::filesystem::filesystem_error& e) {
        std::error_code ignore;
        std::filesystem::remove(temp, ignore);
        throw std::system_error(e.code(), e.what());
    } catch (...) {
        std::error_code ignore;
        std::filesystem::remove(temp, ignore);
        throw;
    }
}

} // namespace quillan::transfer
