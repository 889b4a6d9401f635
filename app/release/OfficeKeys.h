#pragma once
// The office's signing keys on disk: "office.key" (the secret key, readable by its owner only,
// never overwritten) and "office.pub" (the public key that installations trust), each one line
// of hex digits.
#include <filesystem>
#include <string>

namespace quillan::release {

struct WrittenKeys {
    std::filesystem::path secretFile, publicFile;
    std::string publicHex;
};

// Makes a new key pair in `dir` (created when missing). Throws ReleaseError when either file is
// there already: a secret key that is replaced cannot sign for the installations that trust it.
WrittenKeys generateOfficeKeys(const std::filesystem::path& dir);

// The secret key of a key file written by generateOfficeKeys. Throws ReleaseError.
std::string readSecretKey(const std::filesystem::path& file);

} // namespace quillan::release
