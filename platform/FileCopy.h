#pragma once
// Copying a file's bytes in chunks with a report after each chunk, by the fastest means the system
// offers: inside the kernel where it can (no pass through a user buffer), plainly through a buffer
// otherwise. The chunks keep progress moving and memory flat for files of any size.
#include <cstdint>
#include <filesystem>
#include <functional>

namespace quillan {

// Called after every chunk with the bytes copied so far and the source's size when it was opened.
using ChunkCopyProgress = std::function<void(std::uint64_t copied, std::uint64_t total)>;

// How the bytes move. `Fastest` falls back to `Buffered` by itself where the system cannot copy
// between the two files (another file system, an old kernel, a file system without support);
// `Buffered` can be asked for directly, which is how the fallback is tested.
enum class ChunkCopyMethod { Fastest, Buffered };

constexpr std::uint64_t kDefaultCopyChunk = 8u << 20;

// Copies `from` to `to` (created, or truncated when it exists) up to the source's end, in chunks of
// about `chunk` bytes, and answers the number of bytes copied; a caller that must have exactly the
// size it saw before compares the two. Throws std::system_error with the system's reason when a
// file cannot be opened, read or written; `to` may then hold part of the data, so callers copy to
// a temporary name. Callers that need the source's modification time set it themselves (the
// Windows copy keeps it anyway).
std::uint64_t copyFileInChunks(const std::filesystem::path& from, const std::filesystem::path& to,
                               const ChunkCopyProgress& progress = {},
                               std::uint64_t chunk = kDefaultCopyChunk,
                               ChunkCopyMethod method = ChunkCopyMethod::Fastest);

} // namespace quillan
