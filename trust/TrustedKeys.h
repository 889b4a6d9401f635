#pragma once
// The public keys an installation trusts, kept in a text file beside its connection settings: one
// key a line (64 hex digits), blank lines and lines starting with "#" ignored. Several keys let
// the office change its key without a gap: the new one is added before the office signs with it,
// the old one removed later.
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillan::trust {

struct TrustedKeysError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// Nothing when the file does not exist. Throws TrustedKeysError for a file that cannot be read or
// holds a line that is no key: a damaged list must never pass for "no key trusted", which would
// turn the verification off.
std::optional<std::vector<std::string>> readTrustedKeys(const std::filesystem::path& file);

// Adds the key to the file (created when missing) unless it is there; true when it was added.
bool addTrustedKey(const std::filesystem::path& file, const std::string& publicHex);

} // namespace quillan::trust
