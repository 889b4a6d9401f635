#pragma once
// Copying a file so that the target name only ever holds a complete copy: the data goes to a
// temporary name beside the target (in chunks moved inside the kernel where the system can, never
// held whole) and is renamed onto the target once complete, replacing any file there. The copy
// keeps the source's modification time, as the platform's file copy does.
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>

namespace quillan::transfer {

// Called after every chunk with the bytes copied so far and the source's size.
using CopyProgress = std::function<void(std::uint64_t copied, std::uint64_t total)>;

// Large enough that the per-chunk cost vanishes (the kernel moves the bytes), small enough that a
// slow share still shows progress every few seconds.
constexpr std::size_t kCopyChunk = 4u << 20;

// Throws std::system_error (with the system's reason) when the copy cannot be completed; the
// temporary file is removed then and the target is left as it was. With `sha256` the bytes pass
// through a buffer of ours instead of the kernel's copy and are hashed on the way: it receives the
// copy's SHA-256, so that nothing need read the copy again to check it.
void copyFileAtomically(const std::filesystem::path& from, const std::filesystem::path& to,
                        const CopyProgress& progress = {}, std::size_t chunk = kCopyChunk,
                        std::string* sha256 = nullptr);

// The temporary name used for `to` while it is being copied.
std::filesystem::path copyTemporaryFor(const std::filesystem::path& to);

} // namespace quillan::transfer
