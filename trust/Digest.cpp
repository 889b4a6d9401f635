#include "trust/Digest.h"

#include "trust/Sodium.h"

#include <array>
#include <fstream>

namespace quillan::trust {

struct Sha256::State {
    crypto_hash_sha256_state s;
};

Sha256::Sha256() : state_(std::make_unique<State>()) {
    ensureSodium();
    crypto_hash_sha256_init(&state_->s);
}
Sha256::~Sha256() = default;

void Sha256::update(std::string_view bytes) {
    crypto_hash_sha256_update(&state_->s, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
}

std::string Sha256::finishHex() {
    std::array<unsigned char, crypto_hash_sha256_BYTES> out{};
    crypto_hash_sha256_final(&state_->s, out.data());
    return toHex(out.data(), out.size());
}

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

} // namespace quillan::trust
