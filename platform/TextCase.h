#pragma once
// ASCII letter case for names and keywords compared without regard to case (file names, setting
// keys, command words). Bytes outside ASCII are left as they are.
#include <cctype>
#include <string>
#include <string_view>

namespace quillan {

inline std::string upperCase(std::string_view text) {
    std::string out(text);
    for (auto& ch : out)
        ch = static_cast<char>(std::toupper(static_cast<unsigned char>(ch)));
    return out;
}

inline std::string lowerCase(std::string_view text) {
    std::string out(text);
    for (auto& ch : out)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return out;
}

} // namespace quillan
