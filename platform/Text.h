#pragma once
// Small text helpers shared by the whole console: ASCII letter case for names and keywords
// compared without regard to case (file names, setting keys, command words; bytes outside ASCII
// are left as they are) and trimming of surrounding white space.
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

// The text without the white space (blank, tab, line ends) around it.
inline std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

inline bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

} // namespace quillan
