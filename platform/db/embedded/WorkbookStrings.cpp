#include "platform/db/embedded/WorkbookStrings.h"
#include "platform/db/embedded/WorkbookRecords.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace quillan::db::embedded {

namespace {

using namespace records;

// Reads the next `n` bytes of the workbook stream into `out`; false at its end.
using ReadBytes = std::function<bool(std::size_t n, std::string& out)>;

// The bodies of the SST record and of the CONTINUE records that follow it in the workbook globals;
// none when the globals end without one. Each round reads one record of a finite stream.
std::vector<std::string> sharedStringRecords(const ReadBytes& read) {
    std::vector<std::string> bodies;
    for (std::string header, body; read(4, header);) {
        const unsigned type = byteAt(header, 0) | (byteAt(header, 1) << 8);
        if (!read(byteAt(header, 2) | (byteAt(header, 3) << 8), body))
            break;
        if (type == kSst && bodies.empty())
            bodies.push_back(body);
        else if (type == kContinue && !bodies.empty())
            bodies.push_back(body);
        else if (!bodies.empty() || type == kEof)
            break;
    }
    return bodies;
}

// Walks the strings as the format lays them out (count, flags, optional run and phonetic sizes,
// the characters, each continuation starting with its flags again, then the run and phonetic
// bytes) and requires every string to end in the record after the one it starts in.
std::optional<std::string> firstUnreadable(const std::vector<std::string>& r) {
    if (r.empty() || r[0].size() < 8)
        return std::nullopt;
    const std::uint32_t count = le(r[0], 4, 4);
    std::size_t rec = 0, off = 8;
    for (std::uint32_t i = 0; i < count; ++i) {
        if (off >= r[rec].size()) {
            if (++rec >= r.size())
                return std::nullopt; // a table shorter than its count: the reader stops at its end
            off = 0;
        }
        const auto refuse = [i] {
            return "string " + std::to_string(i + 1) +
                   " of its shared string table runs over more than two records, which the engine's Excel "
                   "reader cannot read";
        };
        const std::size_t first = rec;
        const auto need = [&](std::size_t n) { return r[rec].size() - off >= n; };
        if (!need(3))
            return refuse();
        std::size_t left = le(r[rec], off, 2);
        const unsigned flags = byteAt(r[rec], off + 2);
        off += 3;
        bool wide = (flags & 0x01) != 0;
        std::size_t extra = 0;
        if ((flags & 0x08) != 0) { // formatting runs: their count, then four bytes each
            if (!need(2))
                return refuse();
            extra += 4 * static_cast<std::size_t>(le(r[rec], off, 2));
            off += 2;
        }
        if ((flags & 0x04) != 0) { // phonetic data: its size, then the bytes
            if (!need(4))
                return refuse();
            extra += le(r[rec], off, 4);
            off += 4;
        }
        for (;;) { // the characters
            const std::size_t unit = wide ? 2 : 1;
            const std::size_t take = std::min(left, (r[rec].size() - off) / unit);
            off += take * unit;
            left -= take;
            if (left == 0)
                break;
            if (++rec >= r.size() || rec > first + 1 || r[rec].empty())
                return refuse();
            wide = (byteAt(r[rec], 0) & 0x01) != 0;
            off = 1;
        }
        for (;;) { // the runs and phonetic bytes
            const std::size_t take = std::min(extra, r[rec].size() - off);
            off += take;
            extra -= take;
            if (extra == 0)
                break;
            if (++rec >= r.size() || rec > first + 1)
                return refuse();
            off = 0;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> unreadableSharedStringRecords(const std::vector<std::string>& records) {
    return firstUnreadable(records);
}

std::optional<std::string> unreadableSharedStringInStream(std::string_view stream) {
    return firstUnreadable(sharedStringRecords([&stream](std::size_t n, std::string& out) {
        if (stream.size() < n)
            return false;
        out.assign(stream.substr(0, n));
        stream.remove_prefix(n);
        return true;
    }));
}

} // namespace quillan::db::embedded
