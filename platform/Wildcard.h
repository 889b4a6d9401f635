#pragma once
// "*" and "?" patterns over file names, letters compared without regard to case (ASCII), as the
// archive's inputs and the servers' file lists use them.
#include <cctype>
#include <string_view>

namespace quillan {

inline bool wildcardMatch(std::string_view pattern, std::string_view name) {
    const auto sameLetter = [](char a, char b) {
        return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
    };
    // Iterative match with one back-tracking point for the last "*": linear in practice, no recursion.
    std::size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || (pattern[p] != '*' && sameLetter(pattern[p], name[n])))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

} // namespace quillan
