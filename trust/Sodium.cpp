#include "trust/Sodium.h"

#include <stdexcept>

namespace quillan::trust {

void ensureSodium() {
    // sodium_init answers 0 the first time, 1 when already done, -1 on failure; it is thread-safe.
    if (sodium_init() < 0)
        throw std::runtime_error("the signature library cannot start");
}

std::string toHex(const unsigned char* bytes, std::size_t size) {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(size * 2);
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 0x0f];
    }
    return out;
}

namespace {
int hexValue(char ch) {
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}
} // namespace

std::optional<std::vector<unsigned char>> fromHex(std::string_view text, std::size_t size) {
    if (text.size() != size * 2)
        return std::nullopt;
    std::vector<unsigned char> out(size);
    for (std::size_t i = 0; i < size; ++i) {
        const int hi = hexValue(text[2 * i]), lo = hexValue(text[2 * i + 1]);
        if (hi < 0 || lo < 0)
            return std::nullopt;
        out[i] = static_cast<unsigned char>(hi << 4 | lo);
    }
    return out;
}

} // namespace quillan::trust
