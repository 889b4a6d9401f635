#include "transfer/RemoteName.h"

#include <cctype>

namespace quillan::transfer {

bool isSafeRemoteName(std::string_view name) {
    if (name.empty() || name == "." || name == "..")
        return false;
    for (char ch : name) {
        auto u = static_cast<unsigned char>(ch);
        if (ch == '/' || ch == '\\' || ch == ':' || u < 0x20 || u == 0x7f)
            return false;
    }
    return true;
}

namespace {
bool sameLetter(char a, char b) {
    return std::toupper(static_cast<unsigned char>(a)) == std::toupper(static_cast<unsigned char>(b));
}
} // namespace

bool wildcardMatch(std::string_view pattern, std::string_view name) {
    // Iterative match with one back-tracking point for the last "*".
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
    // "*.*" matches names without a dot too, as on Windows.
    if (p + 2 == pattern.size() && pattern.substr(p) == ".*")
        return true;
    return p == pattern.size();
}

} // namespace quillan::transfer
