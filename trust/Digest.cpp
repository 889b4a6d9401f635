#include "trust/Digest.h"

#include "trust/Sodium.h"

#include <array>
#include <fstream>
#include <stdexcept>

// SHA-256 comes from OpenSSL's libcrypto where the build has it: it uses the processor's SHA
// instructions and runs several times faster than libsodium's portable code, which serves where
// libcrypto is not there.
#ifdef QUILLAN_SHA256_OPENSSL
#include <openssl/evp.h>
#endif

namespace quillan::trust {

#ifdef QUILLAN_SHA256_OPENSSL
struct Sha256::State {
    EVP_MD_CTX* ctx = EVP_MD_CTX_new();
    ~State() { EVP_MD_CTX_free(ctx); }
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    if (!state_->ctx || EVP_DigestInit_ex(state_->ctx, EVP_sha256(), nullptr) != 1)
        throw std::runtime_error("SHA-256 cannot start");
}

void Sha256::update(std::string_view bytes) {
    if (EVP_DigestUpdate(state_->ctx, bytes.data(), bytes.size()) != 1)
        throw std::runtime_error("SHA-256 failed");
}

std::string Sha256::finishHex() {
    std::array<unsigned char, 32> out{};
    unsigned int size = 0;
    if (EVP_DigestFinal_ex(state_->ctx, out.data(), &size) != 1 || size != out.size())
        throw std::runtime_error("SHA-256 failed");
    return toHex(out.data(), out.size());
}
#else
struct Sha256::State {
    crypto_hash_sha256_state s;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    ensureSodium();
    crypto_hash_sha256_init(&state_->s);
}

void Sha256::update(std::string_view bytes) {
    crypto_hash_sha256_update(&state_->s, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Sha256::finishHex() {
    std::array<unsigned char, crypto_hash_sha256_BYTES> out{};
    crypto_hash_sha256_final(&state_->s, out.data());
    return toHex(out.data(), out.size());
}
#endif

Sha256::~Sha256() = default;

std::optional<FileDigest> digestOfFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in)
        return std::nullopt;
    Sha256 hash;
    FileDigest d;
    std::array<char, 1 << 16> block{};
    // Each pass reads one block or reaches the end: the loop ends with the file.
    while (in.read(block.data(), block.size()) || in.gcount() > 0) {
        const auto got = static_cast<std::size_t>(in.gcount());
        hash.update(std::string_view(block.data(), got));
        d.size += got;
        if (in.eof())
            break;
    }
    if (in.bad())
        return std::nullopt;
    d.sha256 = hash.finishHex();
    return d;
}

std::string whyFileDiffers(const std::filesystem::path& file, const FileDigest& listed) {
    const auto digest = digestOfFile(file);
    return digest ? whyDigestDiffers(*digest, listed) : "it cannot be read to check it";
}

std::string whyDigestDiffers(const FileDigest& actual, const FileDigest& listed) {
    if (actual.size != listed.size)
        return "it has " + std::to_string(actual.size) + " bytes, the signed manifest " +
               std::to_string(listed.size);
    if (actual.sha256 != listed.sha256)
        return "its SHA-256 does not match the signed manifest";
    return {};
}

} // namespace quillan::trust
