#pragma once
// The office's Ed25519 keys as text: a public key is 64 hex digits, a secret key 128 (libsodium's
// form, which holds the public key in its second half). Signing and checking a signature.
#include <optional>
#include <string>
#include <string_view>

namespace quillan::trust {

struct KeyPair {
    std::string publicHex;
    std::string secretHex;
};

KeyPair generateKeyPair();

// The public key's text in lower case when `text` is one (blanks around it ignored); else nothing.
std::optional<std::string> parsePublicKey(std::string_view text);

// The signature (128 hex digits) of `message`. Throws std::invalid_argument for a secret key that
// is not 128 hex digits.
std::string signDetached(std::string_view message, const std::string& secretHex);
// The public key that belongs to a secret key (its second half).
std::string publicKeyOf(const std::string& secretHex);

bool verifyDetached(std::string_view message, const std::string& signatureHex, const std::string& publicHex);

} // namespace quillan::trust
