#include "trust/Keys.h"

#include "trust/Sodium.h"

#include <array>
#include <cctype>
#include <stdexcept>

namespace quillan::trust {

namespace {
std::string_view trimmedView(std::string_view t) {
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front())))
        t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back())))
        t.remove_suffix(1);
    return t;
}

std::vector<unsigned char> secretBytes(const std::string& secretHex) {
    auto sk = fromHex(secretHex, crypto_sign_SECRETKEYBYTES);
    if (!sk)
        throw std::invalid_argument("the secret key is not 128 hex digits");
    return *sk;
}
} // namespace

KeyPair generateKeyPair() {
    ensureSodium();
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
    std::array<unsigned char, crypto_sign_SECRETKEYBYTES> sk{};
    crypto_sign_keypair(pk.data(), sk.data());
    KeyPair k{toHex(pk.data(), pk.size()), toHex(sk.data(), sk.size())};
    sodium_memzero(sk.data(), sk.size());
    return k;
}

std::optional<std::string> parsePublicKey(std::string_view text) {
    const auto bytes = fromHex(trimmedView(text), crypto_sign_PUBLICKEYBYTES);
    if (!bytes)
        return std::nullopt;
    return toHex(bytes->data(), bytes->size());
}

std::string signDetached(std::string_view message, const std::string& secretHex) {
    ensureSodium();
    auto sk = secretBytes(secretHex);
    std::array<unsigned char, crypto_sign_BYTES> sig{};
    crypto_sign_detached(sig.data(), nullptr, reinterpret_cast<const unsigned char*>(message.data()),
                         message.size(), sk.data());
    sodium_memzero(sk.data(), sk.size());
    return toHex(sig.data(), sig.size());
}

std::string publicKeyOf(const std::string& secretHex) {
    auto sk = secretBytes(secretHex);
    std::array<unsigned char, crypto_sign_PUBLICKEYBYTES> pk{};
    crypto_sign_ed25519_sk_to_pk(pk.data(), sk.data());
    sodium_memzero(sk.data(), sk.size());
    return toHex(pk.data(), pk.size());
}

bool verifyDetached(std::string_view message, const std::string& signatureHex, const std::string& publicHex) {
    ensureSodium();
    const auto sig = fromHex(signatureHex, crypto_sign_BYTES);
    const auto pk = fromHex(publicHex, crypto_sign_PUBLICKEYBYTES);
    if (!sig || !pk)
        return false;
    return crypto_sign_verify_detached(sig->data(), reinterpret_cast<const unsigned char*>(message.data()),
                                       message.size(), pk->data()) == 0;
}

} // namespace quillan::trust
