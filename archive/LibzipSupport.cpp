#include "archive/LibzipSupport.h"

#include "archive/ArchiveError.h"

#include <atomic>
#include <cstdio>
#include <random>

namespace quillan::archive {

std::string pathText(const std::filesystem::path& p) {
    auto u8 = p.u8string();
    return std::string(u8.begin(), u8.end());
}

ZipHandle openArchive(const std::filesystem::path& archive, int flags) {
    int code = 0;
    zip_t* z = zip_open(pathText(archive).c_str(), flags, &code);
    if (z == nullptr) {
        zip_error_t err;
        zip_error_init_with_code(&err, code);
        std::string reason = zip_error_strerror(&err);
        zip_error_fini(&err);
        throw ArchiveError("Cannot open archive '" + pathText(archive) + "': " + reason);
    }
    return ZipHandle(z);
}

std::string lastError(zip_t* z) {
    return zip_error_strerror(zip_get_error(z));
}

SysTime memberTime(zip_t* z, zip_uint64_t index, const zip_stat_t& st) {
    for (zip_flags_t where : {ZIP_FL_CENTRAL, ZIP_FL_LOCAL}) {
        zip_uint16_t len = 0;
        const zip_uint8_t* data =
            zip_file_extra_field_get_by_id(z, index, kExtendedTimestampId, 0, &len, where);
        if (auto t = parseExtendedTimestamp(data, len))
            return *t;
        data = zip_file_extra_field_get_by_id(z, index, kNtfsTimesId, 0, &len, where);
        if (auto t = parseNtfsTimes(data, len))
            return *t;
    }
    // libzip turns the DOS date and time into an instant with the machine's zone.
    return std::chrono::time_point_cast<std::chrono::nanoseconds>(
        std::chrono::system_clock::from_time_t(st.mtime));
}

SysTime fileModificationTime(const std::filesystem::path& file) {
    auto ft = std::filesystem::last_write_time(file);
    return std::chrono::time_point_cast<std::chrono::nanoseconds>(std::chrono::file_clock::to_sys(ft));
}

void setFileModificationTime(const std::filesystem::path& file, SysTime t) {
    auto ft = std::chrono::file_clock::from_sys(t);
    std::filesystem::last_write_time(
        file, std::chrono::time_point_cast<std::filesystem::file_time_type::duration>(ft));
}

std::filesystem::path temporarySibling(const std::filesystem::path& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned salt = std::random_device{}();
    char tag[32];
    std::snprintf(tag, sizeof tag, "%08x%04x", salt, (counter++ & 0xffffu));
    // Not derived from the member name, so a long name cannot push it past the name limit.
    return target.parent_path() / (std::string("~qz") + tag + ".part");
}

} // namespace quillan::archive
