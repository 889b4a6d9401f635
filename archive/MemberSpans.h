#pragma once
// Where each member's bytes lie in the archive file, read from the central directory and the local
// headers. libzip does not expose member offsets, and it happily extracts a crafted archive whose
// directory entries all point at one member (a small file that unpacks to many times its size).
// Extraction refuses an archive in which two members' spans overlap.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillan::archive {

struct MemberSpan {
    std::uint64_t begin = 0; // the local header
    std::uint64_t end = 0;   // one past the stored data (saturated, never wraps)
};

// Copies `size` bytes at `offset` of the archive into `out`; false when they are not there.
using ArchiveReader = std::function<bool(std::uint64_t offset, std::uint8_t* out, std::size_t size)>;

// The span of every member in central-directory order (libzip's index order), or nullopt when the
// directory cannot be read. At most `maxMembers` entries are read.
std::optional<std::vector<MemberSpan>> readMemberSpans(const ArchiveReader& read, std::uint64_t fileSize,
                                                       std::uint64_t maxMembers);

// The first pair of members (indices into `spans`) whose spans overlap, if any.
std::optional<std::pair<std::size_t, std::size_t>> firstOverlap(const std::vector<MemberSpan>& spans);

} // namespace quillan::archive
