#include "trust/SignedManifest.h"

#include "trust/Keys.h"

#include <algorithm>

namespace quillan::trust {

namespace {
constexpr std::string_view kKey = "key ";
constexpr std::string_view kSignature = "signature ";

// The start of the line before the one starting at `end` (a line ends in "\n").
std::size_t lineBefore(std::string_view text, std::size_t end) {
    if (end < 2)
        return std::string_view::npos;
    const auto cut = text.rfind('\n', end - 2);
    return cut == std::string_view::npos ? 0 : cut + 1;
}
} // namespace

std::string signedManifestText(const Manifest& m, const std::string& secretHex) {
    std::string text = manifestText(m) + std::string(kKey) + publicKeyOf(secretHex) + "\n";
    return text + std::string(kSignature) + signDetached(text, secretHex) + "\n";
}

VerifiedManifest verifySignedManifest(std::string_view text, const std::vector<std::string>& trustedKeys) {
    if (text.size() > kManifestMaxBytes)
        throw ManifestError("the manifest is larger than " + std::to_string(kManifestMaxBytes) + " bytes");
    if (text.empty() || text.back() != '\n')
        throw ManifestError("the manifest is not signed");
    const std::size_t signatureLine = lineBefore(text, text.size());
    const std::size_t keyLine = lineBefore(text, signatureLine);
    if (signatureLine == std::string_view::npos || keyLine == std::string_view::npos ||
        !text.substr(signatureLine).starts_with(kSignature) || !text.substr(keyLine).starts_with(kKey))
        throw ManifestError("the manifest is not signed");
    const std::string_view signedPart = text.substr(0, signatureLine);
    const std::string_view keyText =
        text.substr(keyLine + kKey.size(), signatureLine - keyLine - kKey.size() - 1);
    const std::string_view signature =
        text.substr(signatureLine + kSignature.size(), text.size() - signatureLine - kSignature.size() - 1);
    const auto key = parsePublicKey(keyText);
    if (!key || keyText != *key)
        throw ManifestError("the manifest's key line is not a public key");
    if (std::find(trustedKeys.begin(), trustedKeys.end(), *key) == trustedKeys.end())
        throw ManifestError("the manifest is signed by a key this installation does not trust (" + *key +
                            ")");
    if (!verifyDetached(signedPart, std::string(signature), *key))
        throw ManifestError("the manifest's signature does not match its text");
    // Read only once the signature holds: the parser never sees bytes nobody trusted.
    return {parseManifestText(text.substr(0, keyLine)), *key};
}

} // namespace quillan::trust
