#include "archive/MemberName.h"

#include <vector>

namespace quillan::archive {
namespace {

bool isSeparator(char ch) {
    return ch == '/' || ch == '\\';
}

std::string_view dropDrive(std::string_view s) {
    if (s.size() >= 2 && s[1] == ':' && ((s[0] >= 'A' && s[0] <= 'Z') || (s[0] >= 'a' && s[0] <= 'z')))
        s.remove_prefix(2);
    return s;
}

std::vector<std::string_view> components(std::string_view s) {
    std::vector<std::string_view> parts;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || isSeparator(s[i])) {
            if (i > start)
                parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

bool unusable(std::string_view name) {
    return name.find('\0') != std::string_view::npos || name.find(':') != std::string_view::npos;
}

} // namespace

bool isFolderEntry(std::string_view stored) {
    return !stored.empty() && isSeparator(stored.back());
}

std::string bareName(std::string_view stored) {
    if (isFolderEntry(stored))
        return {};
    stored = dropDrive(stored);
    std::size_t cut = stored.find_last_of("/\\");
    return std::string(cut == std::string_view::npos ? stored : stored.substr(cut + 1));
}

std::optional<std::string> safeRelativeName(std::string_view stored, bool keepFolders) {
    if (isFolderEntry(stored))
        return std::nullopt;
    std::string_view rest = dropDrive(stored);
    if (unusable(rest))
        return std::nullopt;
    if (!keepFolders) {
        std::string bare = bareName(stored);
        if (bare.empty() || bare == "." || bare == "..")
            return std::nullopt;
        return bare;
    }
    std::string out;
    for (std::string_view part : components(rest)) {
        if (part == "..")
            return std::nullopt;
        if (part == ".")
            continue;
        if (!out.empty())
            out += '/';
        out += part;
    }
    if (out.empty())
        return std::nullopt;
    return out;
}

} // namespace quillan::archive
