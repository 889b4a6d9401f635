#include "transfer/FileCopy.h"

#include "platform/FileCopy.h"

#include <cerrno>
#include <system_error>

namespace quillan::transfer {

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
        const std::uint64_t copied = copyFileInChunks(from, temp, progress, chunk);
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
