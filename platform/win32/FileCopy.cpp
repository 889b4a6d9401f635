// The chunked copy on Windows: CopyFileExW, which moves the data inside the system and calls back
// after each of its own chunks (the chunk size is the system's choice there). Where it cannot open
// the source, because another process holds it open for writing (a catalog in use), and for the
// buffered method, the file is read and written through one buffer with sharing that allows that.
#include "platform/FileCopy.h"

#include <algorithm>
#include <exception>
#include <memory>
#include <string>
#include <system_error>
#include <windows.h>

namespace quillan {
namespace {

[[noreturn]] void fail(DWORD code, const std::string& what) {
    throw std::system_error(static_cast<int>(code), std::system_category(), what);
}

class Handle {
public:
    explicit Handle(HANDLE h) : h_(h) {}
    ~Handle() {
        if (h_ != INVALID_HANDLE_VALUE)
            CloseHandle(h_);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool close() {
        bool ok = CloseHandle(h_) != 0;
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

struct Routine {
    const ChunkCopyProgress* progress;
    std::uint64_t copied = 0;
    std::exception_ptr error;
};

DWORD CALLBACK onChunk(LARGE_INTEGER total, LARGE_INTEGER transferred, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                       DWORD, HANDLE, HANDLE, LPVOID data) {
    auto* r = static_cast<Routine*>(data);
    const auto done = static_cast<std::uint64_t>(transferred.QuadPart);
    if (done == r->copied) // the call before the first chunk
        return PROGRESS_CONTINUE;
    r->copied = done;
    try {
        if (*r->progress)
            (*r->progress)(done, static_cast<std::uint64_t>(total.QuadPart));
    } catch (...) { // an exception must not cross the system's frames
        r->error = std::current_exception();
        return PROGRESS_CANCEL;
    }
    return PROGRESS_CONTINUE;
}

std::uint64_t copyBuffered(const std::filesystem::path& from, const std::filesystem::path& to,
                           const ChunkCopyProgress& progress, std::uint64_t chunk) {
    Handle in(CreateFileW(from.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                          nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (in.get() == INVALID_HANDLE_VALUE)
        fail(GetLastError(), "cannot open " + from.string());
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(in.get(), &size))
        fail(GetLastError(), "cannot read " + from.string());
    Handle out(
        CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (out.get() == INVALID_HANDLE_VALUE)
        fail(GetLastError(), "cannot create " + to.string());
    const auto piece = static_cast<DWORD>(std::min<std::uint64_t>(chunk, 64u << 20));
    std::unique_ptr<char[]> buffer(new char[piece]);
    std::uint64_t copied = 0;
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(in.get(), buffer.get(), piece, &got, nullptr))
            fail(GetLastError(), "cannot read " + from.string());
        if (got == 0)
            break;
        DWORD written = 0;
        if (!WriteFile(out.get(), buffer.get(), got, &written, nullptr) || written != got)
            fail(GetLastError(), "cannot write " + to.string());
        copied += got;
        if (progress)
            progress(copied, static_cast<std::uint64_t>(size.QuadPart));
    }
    if (!out.close())
        fail(GetLastError(), "cannot write " + to.string());
    return copied;
}

} // namespace

std::uint64_t copyFileInChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                               const ChunkCopyProgress& progress, std::uint64_t chunk,
                               ChunkCopyMethod method) {
    chunk = std::max<std::uint64_t>(chunk, 64u << 10);
    if (method == ChunkCopyMethod::Buffered)
        return copyBuffered(from, to, progress, chunk);
    Routine routine{&progress, 0, nullptr};
    if (CopyFileExW(from.c_str(), to.c_str(), onChunk, &routine, nullptr, 0)) {
        // The count is the copy's size, not the sum of the reports: the system may report fewer
        // chunks than it copied, or none (Wine calls no progress routine at all).
        WIN32_FILE_ATTRIBUTE_DATA copy{};
        if (!GetFileAttributesExW(to.c_str(), GetFileExInfoStandard, &copy))
            fail(GetLastError(), "cannot read " + to.string());
        const std::uint64_t size = (static_cast<std::uint64_t>(copy.nFileSizeHigh) << 32) | copy.nFileSizeLow;
        if (size != routine.copied && progress)
            progress(size, size);
        return size;
    }
    const DWORD code = GetLastError();
    if (routine.error)
        std::rethrow_exception(routine.error);
    if (code == ERROR_SHARING_VIOLATION && routine.copied == 0)
        return copyBuffered(from, to, progress, chunk);
    fail(code, "cannot copy " + from.string() + " to " + to.string());
}

} // namespace quillan
