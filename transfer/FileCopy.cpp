#include "transfer/FileCopy.h"

#include <cerrno>
#include <fstream>
#include <memory>
#include <system_error>

namespace quillan::transfer {
namespace {

[[noreturn]] void fail(const std::string& what) {
    int code = errno != 0 ? errno : EIO;
    throw std::system_error(code, std::generic_category(), what);
}

} // namespace

std::filesystem::path copyTemporaryFor(const std::filesystem::path& to) {
    std::filesystem::path temp = to;
    temp += ".lancopy";
    return temp;
}

void copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        const CopyProgress& progress, std::size_t chunk) {
    const std::uint64_t total = std::filesystem::file_size(from);
    const auto modified = std::filesystem::last_write_time(from);
    const std::filesystem::path temp = copyTemporaryFor(to);
    try {
        std::ifstream in;
        std::ofstream out;
        // Unbuffered streams: each chunk is one read and one write call.
        in.rdbuf()->pubsetbuf(nullptr, 0);
        out.rdbuf()->pubsetbuf(nullptr, 0);
        errno = 0;
        in.open(from, std::ios::binary);
        if (!in)
            fail("cannot open " + from.string());
        errno = 0;
        out.open(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            fail("cannot create " + temp.string());
        std::unique_ptr<char[]> buffer(new char[chunk]);
        std::uint64_t copied = 0;
        for (;;) {
            errno = 0;
            in.read(buffer.get(), static_cast<std::streamsize>(chunk));
            std::streamsize got = in.gcount();
            if (got > 0) {
                errno = 0;
                if (!out.write(buffer.get(), got))
                    fail("cannot write " + temp.string());
                copied += static_cast<std::uint64_t>(got);
                if (progress)
                    progress(copied, total);
            }
            if (in.eof())
                break;
            if (!in)
                fail("cannot read " + from.string());
        }
        errno = 0;
        out.close();
        if (!out)
            fail("cannot write " + temp.string());
        if (copied != total) // the source changed under us: not a faithful copy
            throw std::system_error(EIO, std::generic_category(),
                                    "size of " + from.string() + " changed while copying");
        std::filesystem::last_write_time(temp, modified);
        std::filesystem::rename(temp, to);
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
