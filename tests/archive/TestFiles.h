#pragma once
// Small helpers for the archive tests: a private temporary folder per test, file contents and
// times, and archives written directly with libzip so that names and times are under control.
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <zip.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace quillan::test {

inline std::string randomBytes(std::size_t n, unsigned seed) {
    std::mt19937 gen(seed);
    std::string s(n, '\0');
    for (char& c : s)
        c = static_cast<char>(gen() & 0xff);
    return s;
}

inline std::int64_t unixSeconds(const std::filesystem::path& p) {
    auto sys = std::chrono::file_clock::to_sys(std::filesystem::last_write_time(p));
    return std::chrono::floor<std::chrono::seconds>(sys).time_since_epoch().count();
}

inline void setUnixSeconds(const std::filesystem::path& p, std::int64_t s) {
    auto sys = std::chrono::sys_seconds(std::chrono::seconds(s));
    std::filesystem::last_write_time(p,
                                     std::chrono::time_point_cast<std::filesystem::file_time_type::duration>(
                                         std::chrono::file_clock::from_sys(sys)));
}

struct RawMember {
    std::string name;
    std::string data;
    std::int64_t mtime = 1'600'000'000; // DOS time only: libzip writes no extended timestamp itself
    std::vector<std::pair<std::uint16_t, std::string>> extraFields = {}; // id and payload, both headers
};

// Writes an archive whose member names are taken as given, however hostile.
inline void writeRawArchive(const std::filesystem::path& archive, const std::vector<RawMember>& members) {
    int err = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &err);
    if (z == nullptr)
        throw std::runtime_error("test archive cannot be created");
    for (const auto& m : members) {
        zip_source_t* src = zip_source_buffer(z, m.data.data(), m.data.size(), 0);
        zip_int64_t i = zip_file_add(z, m.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (i < 0)
            throw std::runtime_error("test member cannot be added: " + m.name);
        zip_file_set_mtime(z, static_cast<zip_uint64_t>(i), static_cast<time_t>(m.mtime), 0);
        for (const auto& [id, payload] : m.extraFields)
            zip_file_extra_field_set(z, static_cast<zip_uint64_t>(i), id, ZIP_EXTRA_FIELD_NEW,
                                     reinterpret_cast<const zip_uint8_t*>(payload.data()),
                                     static_cast<zip_uint16_t>(payload.size()),
                                     ZIP_FL_LOCAL | ZIP_FL_CENTRAL);
    }
    if (zip_close(z) != 0)
        throw std::runtime_error("test archive cannot be written");
}

// Member names and extra-field ids as stored, in order.
inline std::vector<std::string> memberNames(const std::filesystem::path& archive) {
    std::vector<std::string> names;
    int err = 0;
    zip_t* z = zip_open(archive.c_str(), ZIP_RDONLY, &err);
    if (z == nullptr)
        return names;
    for (zip_int64_t i = 0; i < zip_get_num_entries(z, 0); ++i)
        names.emplace_back(zip_get_name(z, static_cast<zip_uint64_t>(i), 0));
    zip_discard(z);
    return names;
}

// Everything below `folder`, as sorted relative names; nothing when the folder is missing.
inline std::vector<std::string> listing(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); ++it)
        names.push_back(it->path().lexically_relative(folder).generic_string());
    std::sort(names.begin(), names.end());
    return names;
}

inline int run(const std::string& command) {
    return std::system((command + " >/dev/null 2>&1").c_str());
}

inline std::string quoted(const std::filesystem::path& p) {
    return "'" + p.string() + "'";
}

} // namespace quillan::test
