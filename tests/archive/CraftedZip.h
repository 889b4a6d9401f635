#pragma once
// Archives written byte by byte, for the damaged and hostile cases libzip itself would never write:
// directory entries that point into other members, sizes the data does not hold.
#include <zlib.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

namespace quillan::test {

// Appends each (value, width) pair little-endian.
inline void put(std::string& s, std::initializer_list<std::pair<std::uint64_t, int>> fields) {
    for (const auto& [v, bytes] : fields)
        for (int i = 0; i < bytes; ++i)
            s += static_cast<char>((v >> (8 * i)) & 0xff);
}

// A member as its local header describes it. Stored members hold `data` itself; a deflated one
// holds "\x03\x00" (an empty final block) whatever size it declares, so its CRC is 0. A declared
// size of 4 GiB or more is written in the Zip64 form.
struct CraftedMember {
    std::string name;
    std::string data;
    int method = 0; // 0 stored, 8 deflate
    std::uint64_t declaredSize = 0;

    std::uint64_t size() const { return method == 0 ? data.size() : declaredSize; }
    bool zip64() const { return size() >= 0xffffffffULL; }
    std::uint32_t crc() const {
        return method == 0 ? static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(data.data()),
                                                              static_cast<uInt>(data.size())))
                           : 0;
    }
    std::string extra() const {
        std::string e;
        if (zip64())
            put(e, {{0x0001, 2}, {16, 2}, {size(), 8}, {data.size(), 8}});
        return e;
    }
    // Version, flags, method, time, date, CRC, sizes, name and extra lengths: common to both headers.
    void common(std::string& s) const {
        std::uint64_t packed = zip64() ? 0xffffffffULL : data.size(), full = zip64() ? 0xffffffffULL : size();
        put(s, {{45, 2},
                {0, 2},
                {static_cast<std::uint64_t>(method), 2},
                {0x6000, 2},
                {0x5865, 2},
                {crc(), 4},
                {packed, 4},
                {full, 4},
                {name.size(), 2},
                {extra().size(), 2}});
    }
    // Local header and data, as they lie in the archive.
    std::string local() const {
        std::string s;
        put(s, {{0x04034b50, 4}});
        common(s);
        return s + name + extra() + data;
    }
};

// A directory entry: the member whose header it copies, under its own name, pointing at `offset`.
struct CraftedEntry {
    CraftedMember member;
    std::uint64_t offset = 0;
};

// The archive of `body` (local records laid out by the caller) followed by a directory of `entries`.
inline std::string craftedArchive(const std::string& body, const std::vector<CraftedEntry>& entries) {
    std::string central;
    for (const auto& e : entries) {
        put(central, {{0x02014b50, 4}, {45, 2}});
        e.member.common(central);
        put(central, {{0, 2}, {0, 2}, {0, 2}, {0, 4}, {e.offset, 4}}); // comment, disk, attributes, offset
        central += e.member.name + e.member.extra();
    }
    std::string out = body + central;
    put(out, {{0x06054b50, 4},
              {0, 2},
              {0, 2},
              {entries.size(), 2},
              {entries.size(), 2},
              {central.size(), 4},
              {body.size(), 4},
              {0, 2}});
    return out;
}

// Members one after the other, each listed once: a well-formed archive.
inline std::string craftedArchive(const std::vector<CraftedMember>& members) {
    std::string body;
    std::vector<CraftedEntry> entries;
    for (const auto& m : members) {
        entries.push_back({m, body.size()});
        body += m.local();
    }
    return craftedArchive(body, entries);
}

} // namespace quillan::test
