// Windows path texts <-> native paths through the drive map.
#include "platform/PathMap.h"

#include "platform/Text.h"

#include "platform/OsHooks.h"
#include "platform/SpellingOnDisk.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace quillan {
namespace fs = std::filesystem;

namespace {

constexpr const char* iniFileName = "quillan-drives.ini";

// Splits on '/' and '\', dropping empty parts: this is what collapses repeated separators.
std::vector<std::string> components(std::string_view text) {
    std::vector<std::string> parts;
    std::string current;
    for (char c : text) {
        if (c == '/' || c == '\\') {
            if (!current.empty()) {
                parts.push_back(std::move(current));
                current.clear();
            }
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        parts.push_back(std::move(current));
    }
    return parts;
}

// Below a drive or share root ".." stops at the root, as it does on Windows, so a path text can
// never leave the folder its drive is mapped to.
fs::path joinBelowRoot(fs::path base, const std::vector<std::string>& parts, std::size_t first) {
    std::vector<std::string> kept;
    for (std::size_t i = first; i < parts.size(); ++i) {
        if (parts[i] == ".") {
            continue;
        }
        if (parts[i] == "..") {
            if (!kept.empty()) {
                kept.pop_back();
            }
            continue;
        }
        kept.push_back(parts[i]);
    }
    for (const auto& part : kept) {
        base /= part;
    }
    return base;
}

// Components of a native path without the empty one a trailing separator leaves.
std::vector<fs::path> nativeComponents(const fs::path& p) {
    std::vector<fs::path> out;
    for (const auto& part : p.lexically_normal()) {
        if (!part.empty()) {
            out.push_back(part);
        }
    }
    return out;
}

// How many components `root` covers of `path`, or 0 when it is not a prefix.
std::size_t prefixLength(const std::vector<fs::path>& root, const std::vector<fs::path>& path) {
    if (root.empty() || root.size() > path.size() || !std::equal(root.begin(), root.end(), path.begin())) {
        return 0;
    }
    return root.size();
}

// "\\server\share" in one spelling whichever separators the text used.
std::optional<std::string> shareKey(std::string_view key) {
    if (key.size() < 2 || (key[0] != '\\' && key[0] != '/') || (key[1] != '\\' && key[1] != '/')) {
        return std::nullopt;
    }
    const auto parts = components(key);
    if (parts.size() != 2) {
        return std::nullopt;
    }
    return "\\\\" + parts[0] + "\\" + parts[1];
}

struct ParsedMap {
    std::map<char, fs::path> drives;
    std::map<std::string, fs::path> shares;
    std::vector<std::string> problems;
};

// Entries are "X=/path", "X:=/path" or "\\server\share=/path". Lines of a file may be blank or
// comments starting with ';' or '#'.
ParsedMap parseEntries(std::string_view text, char separator) {
    ParsedMap result;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view entry = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (entry.empty() || (separator == '\n' && (entry.front() == ';' || entry.front() == '#'))) {
            continue;
        }
        const auto eq = entry.find('=');
        const std::string_view key = eq == std::string_view::npos ? entry : trimmed(entry.substr(0, eq));
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view{} : trimmed(entry.substr(eq + 1));
        const bool isLetter = !key.empty() && std::isalpha(static_cast<unsigned char>(key[0])) &&
                              (key.size() == 1 || (key.size() == 2 && key[1] == ':'));
        if (value.empty()) {
            result.problems.push_back("drive map entry without a folder: " + std::string(entry));
        } else if (isLetter) {
            result.drives[static_cast<char>(std::toupper(static_cast<unsigned char>(key[0])))] =
                fs::path(value);
        } else if (auto share = shareKey(key)) {
            result.shares[*share] = fs::path(value);
        } else {
            result.problems.push_back("drive map entry not understood: " + std::string(entry));
        }
        if (end == text.size()) {
            break;
        }
    }
    return result;
}

} // namespace

PathMap::PathMap() : drives_(os::defaultDriveMap()) {}

PathMap::PathMap(std::map<char, fs::path> drives) : PathMap(std::move(drives), {}) {}

PathMap::PathMap(std::map<char, fs::path> drives, std::map<std::string, fs::path> shares) {
    for (auto& [letter, root] : drives) {
        drives_[static_cast<char>(std::toupper(static_cast<unsigned char>(letter)))] = std::move(root);
    }
    for (auto& [key, root] : shares) {
        if (auto normal = shareKey(key)) {
            shares_[*normal] = std::move(root);
        }
    }
}

std::optional<PathMap> PathMap::parse(std::string_view text, char separator) {
    auto parsed = parseEntries(text, separator);
    if (!parsed.problems.empty() || (parsed.drives.empty() && parsed.shares.empty())) {
        return std::nullopt;
    }
    return PathMap(std::move(parsed.drives), std::move(parsed.shares));
}

PathMap PathMap::forProgramFolder(const fs::path& programFolder) {
    std::string text;
    std::string source;
    char separator = ';';
    if (const char* env = std::getenv("QUILLAN_DRIVES"); env != nullptr && !trimmed(env).empty()) {
        text = env;
        source = "QUILLAN_DRIVES";
    } else if (std::ifstream in(programFolder / iniFileName); in) {
        std::ostringstream content;
        content << in.rdbuf();
        text = content.str();
        source = (programFolder / iniFileName).string();
        separator = '\n';
    }
    if (source.empty()) {
        return PathMap();
    }
    auto parsed = parseEntries(text, separator);
    // Relative folders are read against the program folder, never the current directory.
    for (auto& [letter, root] : parsed.drives) {
        if (root.is_relative()) {
            root = (programFolder / root).lexically_normal();
        }
    }
    for (auto& [key, root] : parsed.shares) {
        if (root.is_relative()) {
            root = (programFolder / root).lexically_normal();
        }
    }
    PathMap map(std::move(parsed.drives), std::move(parsed.shares));
    map.source_ = source;
    map.warnings_ = std::move(parsed.problems);
    if (map.drives_.empty()) {
        // A configured map that names no drive must not silently fall back to "/" for C.
        map.warnings_.push_back(source + " maps no drive letter");
    }
    return map;
}

fs::path PathMap::toNative(std::string_view windowsPath) const {
    const std::string_view text = windowsPath;
    const bool twoSeparators =
        text.size() >= 2 && (text[0] == '\\' || text[0] == '/') && (text[1] == '\\' || text[1] == '/');
    if (twoSeparators) {
        const auto parts = components(text);
        if (parts.size() < 2) {
            return fs::path("//" + (parts.empty() ? std::string{} : parts[0]));
        }
        const std::string key = "\\\\" + parts[0] + "\\" + parts[1];
        for (const auto& [name, root] : shares_) {
            if (equalsNoCase(name, key)) {
                return joinBelowRoot(root, parts, 2);
            }
        }
        return joinBelowRoot(fs::path("//" + parts[0] + "/" + parts[1]), parts, 2);
    }
    if (text.size() >= 2 && text[1] == ':' && std::isalpha(static_cast<unsigned char>(text[0]))) {
        const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        const auto parts = components(text.substr(2));
        const auto drive = drives_.find(letter);
        // An unmapped drive lies below a file, so every use fails as it does for a missing drive.
        const fs::path root =
            drive != drives_.end() ? drive->second : fs::path(std::string("/dev/null/") + letter + ":");
        return joinBelowRoot(root, parts, 0);
    }
    std::string native;
    if (!text.empty() && (text[0] == '\\' || text[0] == '/')) {
        native = "/";
    }
    const auto parts = components(text);
    for (std::size_t i = 0; i < parts.size(); ++i) {
        native += (i == 0 ? "" : "/") + parts[i];
    }
    return fs::path(native);
}

bool PathMap::onMappedDrive(std::string_view windowsPath) const {
    const std::string_view text = windowsPath;
    if (text.size() < 2 || text[1] != ':' || !std::isalpha(static_cast<unsigned char>(text[0])))
        return false;
    if (text.size() > 2 && text[2] != '\\' && text[2] != '/')
        return false;
    return drives_.count(static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])))) != 0;
}

std::string PathMap::toWindows(const fs::path& nativePath) const {
    if (nativePath.empty() || nativePath.is_relative()) {
        return nativePath.string();
    }
    const auto path = nativeComponents(nativePath);
    std::size_t best = 0;
    std::string prefix;
    for (const auto& [letter, root] : drives_) {
        if (const auto n = prefixLength(nativeComponents(root), path); n > best) {
            best = n;
            prefix = std::string{letter, ':'};
        }
    }
    for (const auto& [key, root] : shares_) {
        if (const auto n = prefixLength(nativeComponents(root), path); n > best) {
            best = n;
            prefix = key;
        }
    }
    if (best == 0) {
        return nativePath.string();
    }
    std::string text = prefix;
    for (std::size_t i = best; i < path.size(); ++i) {
        text += "\\" + path[i].string();
    }
    return best == path.size() ? text + "\\" : text;
}

fs::path resolveCase(const fs::path& path) {
    // Where the file system ignores case, a path exists in every spelling: the spelling on disk is
    // only found by reading the folder. Where it tells case apart, existing means spelt as on disk.
#ifdef _WIN32
    constexpr bool caseBlind = true;
#else
    constexpr bool caseBlind = false;
#endif
    std::error_code ec;
    if (path.empty() || (!caseBlind && fs::exists(fs::symlink_status(path, ec)))) {
        return path;
    }
    fs::path current = path.root_path();
    for (const auto& part : path.relative_path()) {
        if (part.empty() || part == "." || part == "..") {
            current /= part;
            continue;
        }
        const fs::path exact = current / part;
        if (!caseBlind && fs::exists(fs::symlink_status(exact, ec))) {
            current = exact;
            continue;
        }
        const auto matches = spellingsOnDisk(current.empty() ? fs::path(".") : current, part.string());
        if (matches.empty()) {
            return path;
        }
        const bool asWritten = std::find(matches.begin(), matches.end(), part.string()) != matches.end();
        current /= asWritten ? part.string() : matches.front();
    }
    return current;
}

} // namespace quillan
