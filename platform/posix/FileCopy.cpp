// The chunked copy on POSIX: copy_file_range(2) where the kernel offers it (Linux), read/write
// through one chunk-sized buffer otherwise.
#include "platform/FileCopy.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace quillan {
namespace {

[[noreturn]] void fail(int code, const std::string& what) {
    throw std::system_error(code != 0 ? code : EIO, std::generic_category(), what);
}

class Fd {
public:
    explicit Fd(int fd) : fd_(fd) {}
    ~Fd() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    // Closing reports a late write error (some file systems only report it then).
    int close() {
        int rc = ::close(fd_);
        fd_ = -1;
        return rc;
    }

private:
    int fd_;
};

struct Files {
    const std::filesystem::path& from;
    const std::filesystem::path& to;
    int in;
    int out;
};

// Moves up to `want` bytes through the kernel. Answers the bytes moved (0 at the source's end),
// or -1 when this pair of files cannot be copied this way and the caller should fall back. The
// errors that mean "not this way" are those the kernel gives for another file system, an old
// kernel or a file system without the operation; the others are the copy's own failure.
long long kernelChunk(const Files& f, std::uint64_t want) {
#if defined(__linux__)
    std::uint64_t moved = 0;
    while (moved < want) {
        ssize_t n = ::copy_file_range(f.in, nullptr, f.out, nullptr, want - moved, 0);
        if (n > 0) {
            moved += static_cast<std::uint64_t>(n);
            continue;
        }
        if (n == 0)
            break;
        if (errno == EINTR)
            continue;
        if (errno == EXDEV || errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP || errno == EPERM ||
            errno == EBADF || errno == ETXTBSY)
            return moved > 0 ? static_cast<long long>(moved) : -1;
        fail(errno, "cannot copy " + f.from.string() + " to " + f.to.string());
    }
    return static_cast<long long>(moved);
#else
    (void)f;
    (void)want;
    return -1;
#endif
}

// Moves up to `want` bytes through `buffer` with read and write. Answers the bytes moved.
std::uint64_t bufferedChunk(const Files& f, char* buffer, std::uint64_t want) {
    std::uint64_t moved = 0;
    while (moved < want) {
        ssize_t got = ::read(f.in, buffer, want - moved);
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            fail(errno, "cannot read " + f.from.string());
        if (got == 0)
            break;
        for (ssize_t written = 0; written < got;) {
            ssize_t n = ::write(f.out, buffer + written, static_cast<std::size_t>(got - written));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                fail(errno, "cannot write " + f.to.string());
            written += n;
        }
        moved += static_cast<std::uint64_t>(got);
    }
    return moved;
}

} // namespace

std::uint64_t copyFileInChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                               const ChunkCopyProgress& progress, std::uint64_t chunk,
                               ChunkCopyMethod method) {
    chunk = std::max<std::uint64_t>(chunk, 64u << 10);
    Fd in(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (in.get() < 0)
        fail(errno, "cannot open " + from.string());
    struct stat st {};
    if (::fstat(in.get(), &st) != 0)
        fail(errno, "cannot read " + from.string());
    const auto total = static_cast<std::uint64_t>(st.st_size);
    Fd out(::open(to.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (out.get() < 0)
        fail(errno, "cannot create " + to.string());
    const Files files{from, to, in.get(), out.get()};

    bool kernel = method == ChunkCopyMethod::Fastest;
    std::unique_ptr<char[]> buffer; // only when falling back: the kernel path needs none
    std::uint64_t copied = 0;
    for (;;) {
        std::uint64_t moved = 0;
        if (kernel) {
            long long n = kernelChunk(files, chunk);
            // Some file systems answer "nothing" before the end instead of failing: read tells.
            if (n < 0 || (n == 0 && copied < total)) {
                kernel = false; // the offsets are where the kernel left them: go on from there
                continue;
            }
            moved = static_cast<std::uint64_t>(n);
        } else {
            if (!buffer)
                buffer.reset(new char[chunk]);
            moved = bufferedChunk(files, buffer.get(), chunk);
        }
        if (moved == 0)
            break;
        copied += moved;
        if (progress)
            progress(copied, total);
    }
    if (out.close() != 0)
        fail(errno, "cannot write " + to.string());
    return copied;
}

} // namespace quillan
