#pragma once
// A release manifest: which release it is (version, the distributor it is for or every one, when
// it was issued and until when it may be believed) and every file the release consists of, each
// with its size and SHA-256. Its text is a strict line format, one item a line, "\n" after each:
//
//   Quillan release manifest 1
//   version 8
//   distributor *                     (or the distributor's code)
//   issued 2026-12-07T19:00:00Z
//   expires 2027-01-06T19:00:00Z
//   file <size> <sha256> <name>       (one line per file, in name order)
//
// A signed manifest adds a "key" and a "signature" line (trust/SignedManifest.h).
#include "trust/Digest.h"

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::trust {

inline constexpr const char* kEveryDistributor = "*";
inline constexpr std::size_t kManifestMaxBytes = 4u << 20; // far above any release's list

struct ManifestFile {
    std::string name; // a plain file name, no folder
    FileDigest digest;
};

struct Manifest {
    int version = 0;
    std::string distributor = kEveryDistributor;
    std::int64_t issued = 0, expires = 0; // seconds since 1970, UTC
    std::vector<ManifestFile> files;

    // The file of that name (letters compared without regard to case), or nullptr.
    const ManifestFile* find(std::string_view name) const;
};

// What is wrong with a manifest's text, said so that an operator can read it.
struct ManifestError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

// The unsigned text. Throws ManifestError for a manifest that its reader would refuse.
std::string manifestText(const Manifest& m);
// Reads the unsigned text (every line of it, nothing after). Throws ManifestError.
Manifest parseManifestText(std::string_view text);

bool isPlainManifestName(std::string_view name);

// A manifest is published beside its deploy script as "<script name>.manifest".
inline constexpr std::string_view kManifestSuffix = ".manifest";
std::string manifestFileNameOf(std::string_view scriptName);
bool isManifestFileName(std::string_view name); // ends in ".manifest", in any case

} // namespace quillan::trust
