#pragma once
// A manifest signed as a whole: its text, then "key <public key>" and "signature <signature>"
// lines. The Ed25519 signature covers every byte before the signature line, the key line among
// them, so neither a file line nor the key can be changed without the signature failing.
#include "trust/Manifest.h"

#include <string>
#include <string_view>
#include <vector>

namespace quillan::trust {

std::string signedManifestText(const Manifest& m, const std::string& secretHex);

struct VerifiedManifest {
    Manifest manifest;
    std::string key; // the trusted key that signed it
};

// The manifest when `text` is one, signed by one of `trustedKeys` (hex, lower case). Throws
// ManifestError naming what is wrong: not a manifest, not signed, signed by a key this
// installation does not trust, or a signature that does not fit the text.
VerifiedManifest verifySignedManifest(std::string_view text, const std::vector<std::string>& trustedKeys);

} // namespace quillan::trust
