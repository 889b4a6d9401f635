#pragma once
// The library's one door to libsodium: initialised once, before the first use; and hex text,
// which keys, digests and signatures are written in.
#include <sodium.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::trust {

// Throws std::runtime_error when libsodium cannot start (no source of randomness).
void ensureSodium();

std::string toHex(const unsigned char* bytes, std::size_t size);
// Exactly `size` bytes written as 2 x size lower- or upper-case hex digits; nothing otherwise.
std::optional<std::vector<unsigned char>> fromHex(std::string_view text, std::size_t size);

} // namespace quillan::trust
