#include "transfer/UrlEncoding.h"

#include <cctype>

namespace quillan::transfer {

namespace {

template <class Keep> std::string encodeBytes(std::string_view text, Keep keep) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size());
    for (char ch : text) {
        const auto byte = static_cast<unsigned char>(ch);
        if (byte > 0x20 && byte < 0x7F && keep(ch)) {
            out += ch;
        } else {
            out += '%';
            out += kHex[byte >> 4];
            out += kHex[byte & 0x0F];
        }
    }
    return out;
}

// The characters of a path segment besides letters and digits (unreserved, sub-delims, ":", "@").
bool segmentCharacter(char ch) {
    return std::isalnum(static_cast<unsigned char>(ch)) != 0 ||
           std::string_view("-._~!$&'()*+,;=:@").find(ch) != std::string_view::npos;
}

} // namespace

std::string withEncodedFileName(const std::string& url) {
    const auto slash = url.rfind('/');
    const std::size_t start = slash == std::string::npos ? 0 : slash + 1;
    return url.substr(0, start) + encodeBytes(std::string_view(url).substr(start), segmentCharacter);
}

std::string encodeQueryValue(std::string_view value) {
    return encodeBytes(value,
                       [](char ch) { return std::string_view("&#%+").find(ch) == std::string_view::npos; });
}

} // namespace quillan::transfer
