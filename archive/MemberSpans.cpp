#include "archive/MemberSpans.h"

#include <algorithm>
#include <array>
#include <limits>
#include <numeric>

namespace quillan::archive {
namespace {

constexpr std::uint32_t kEndSignature = 0x06054b50, kZip64EndSignature = 0x06064b50,
                        kZip64LocatorSignature = 0x07064b50, kCentralSignature = 0x02014b50,
                        kLocalSignature = 0x04034b50;
constexpr std::size_t kEndSize = 22, kLocatorSize = 20, kZip64EndSize = 56, kCentralSize = 46,
                      kLocalSize = 30, kMaxComment = 0xffff;
constexpr std::uint32_t kEscape32 = 0xffffffff;

std::uint64_t le(const std::uint8_t* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = bytes - 1; i >= 0; --i)
        v = (v << 8) | p[i];
    return v;
}

std::uint64_t saturatedAdd(std::uint64_t a, std::uint64_t b) {
    return b > std::numeric_limits<std::uint64_t>::max() - a ? std::numeric_limits<std::uint64_t>::max()
                                                             : a + b;
}

struct Directory {
    std::uint64_t offset = 0, size = 0, entries = 0;
};

// The end-of-directory record nearest the end of the file, and its Zip64 form where announced.
std::optional<Directory> findDirectory(const ArchiveReader& read, std::uint64_t fileSize) {
    if (fileSize < kEndSize)
        return std::nullopt;
    std::size_t tailSize =
        static_cast<std::size_t>(std::min<std::uint64_t>(fileSize, kEndSize + kMaxComment));
    std::uint64_t tailStart = fileSize - tailSize;
    std::vector<std::uint8_t> tail(tailSize);
    if (!read(tailStart, tail.data(), tail.size()))
        return std::nullopt;
    for (std::size_t p = tailSize - kEndSize + 1; p-- > 0;) {
        const std::uint8_t* e = tail.data() + p;
        if (le(e, 4) != kEndSignature)
            continue;
        Directory d{le(e + 16, 4), le(e + 12, 4), le(e + 10, 2)};
        std::uint64_t at = tailStart + p;
        bool zip64 = d.entries == 0xffff || d.size == kEscape32 || d.offset == kEscape32;
        if (zip64 && at >= kLocatorSize) {
            std::array<std::uint8_t, kLocatorSize> loc{};
            std::array<std::uint8_t, kZip64EndSize> end64{};
            if (read(at - kLocatorSize, loc.data(), loc.size()) &&
                le(loc.data(), 4) == kZip64LocatorSignature &&
                read(le(loc.data() + 8, 8), end64.data(), end64.size()) &&
                le(end64.data(), 4) == kZip64EndSignature)
                d = {le(end64.data() + 48, 8), le(end64.data() + 40, 8), le(end64.data() + 32, 8)};
        }
        if (saturatedAdd(d.offset, d.size) <= fileSize)
            return d;
    }
    return std::nullopt;
}

// The local header offset and stored size of a central entry, taking the Zip64 field into account:
// it holds, in this order, the 64-bit forms of those 32-bit fields that are all ones.
void applyZip64(const std::vector<std::uint8_t>& extra, std::uint64_t uncompressed, std::uint64_t& compressed,
                std::uint64_t& offset) {
    for (std::size_t pos = 0; pos + 4 <= extra.size();) {
        std::uint64_t id = le(extra.data() + pos, 2), len = le(extra.data() + pos + 2, 2);
        pos += 4;
        if (pos + len > extra.size())
            return;
        if (id == 0x0001) {
            std::size_t at = pos, stop = pos + static_cast<std::size_t>(len);
            auto take = [&](std::uint64_t& field) {
                if (field == kEscape32 && at + 8 <= stop) {
                    field = le(extra.data() + at, 8);
                    at += 8;
                }
            };
            std::uint64_t size = uncompressed;
            take(size);
            take(compressed);
            take(offset);
            return;
        }
        pos += static_cast<std::size_t>(len);
    }
}

} // namespace

std::optional<std::vector<MemberSpan>> readMemberSpans(const ArchiveReader& read, std::uint64_t fileSize,
                                                       std::uint64_t maxMembers) {
    auto dir = findDirectory(read, fileSize);
    if (!dir)
        return std::nullopt;
    std::vector<MemberSpan> spans;
    std::uint64_t pos = dir->offset, stop = dir->offset + dir->size;
    std::uint64_t count = std::min(dir->entries, maxMembers);
    std::array<std::uint8_t, kCentralSize> c{};
    std::array<std::uint8_t, kLocalSize> local{};
    for (std::uint64_t i = 0; i < count; ++i) {
        if (pos + kCentralSize > stop || !read(pos, c.data(), c.size()) ||
            le(c.data(), 4) != kCentralSignature)
            return std::nullopt;
        std::uint64_t compressed = le(c.data() + 20, 4), offset = le(c.data() + 42, 4);
        std::size_t nameLen = le(c.data() + 28, 2), extraLen = le(c.data() + 30, 2),
                    commentLen = le(c.data() + 32, 2);
        std::vector<std::uint8_t> extra(extraLen);
        if (pos + kCentralSize + nameLen + extraLen > stop ||
            (extraLen > 0 && !read(pos + kCentralSize + nameLen, extra.data(), extra.size())))
            return std::nullopt;
        applyZip64(extra, le(c.data() + 24, 4), compressed, offset);
        pos += kCentralSize + nameLen + extraLen + commentLen;

        if (!read(offset, local.data(), local.size()) || le(local.data(), 4) != kLocalSignature)
            return std::nullopt;
        std::uint64_t header = kLocalSize + le(local.data() + 26, 2) + le(local.data() + 28, 2);
        spans.push_back({offset, saturatedAdd(saturatedAdd(offset, header), compressed)});
    }
    return spans;
}

std::optional<std::pair<std::size_t, std::size_t>> firstOverlap(const std::vector<MemberSpan>& spans) {
    std::vector<std::size_t> order(spans.size());
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return spans[a].begin < spans[b].begin; });
    // After sorting by start, an overlap always shows between the member reaching furthest so far
    // and the next one.
    std::size_t furthest = 0;
    for (std::size_t k = 0; k < order.size(); ++k) {
        std::size_t cur = order[k];
        if (k > 0 && spans[cur].begin < spans[furthest].end)
            return std::make_pair(std::min(furthest, cur), std::max(furthest, cur));
        if (k == 0 || spans[cur].end > spans[furthest].end)
            furthest = cur;
    }
    return std::nullopt;
}

} // namespace quillan::archive
