#include "archive/FilePatterns.h"

#include "archive/LibzipSupport.h"

#include <cctype>

namespace quillan::archive {
namespace {

std::filesystem::path absoluteFrom(const std::filesystem::path& p, const std::filesystem::path& base) {
    if (p.is_absolute() || base.empty())
        return p;
    return base / p;
}

void addMatches(const std::filesystem::path& folder, const std::string& pattern,
                const PatternOptions& options, Expansion& out) {
    std::error_code ec;
    std::filesystem::directory_iterator it(folder, ec), end;
    std::vector<std::filesystem::path> subfolders;
    for (; !ec && it != end; it.increment(ec)) {
        const auto& entry = *it;
        if (entry.is_directory(ec)) {
            if (options.recurse)
                subfolders.push_back(entry.path());
        } else if (entry.is_regular_file(ec) && wildcardMatch(pattern, pathText(entry.path().filename()))) {
            out.inputs.push_back({entry.path(), memberNameFor(entry.path(), options)});
        }
    }
    for (const auto& sub : subfolders)
        addMatches(sub, pattern, options, out);
}

} // namespace

bool hasWildcard(std::string_view text) {
    return text.find_first_of("*?") != std::string_view::npos;
}

std::string memberNameFor(const std::filesystem::path& file, const PatternOptions& options) {
    if (!options.storeFolders)
        return pathText(file.filename());
    std::filesystem::path rel;
    if (!options.base.empty()) {
        auto candidate = file.lexically_relative(options.base);
        if (!candidate.empty() && *candidate.begin() != "..")
            rel = candidate;
    }
    if (rel.empty())
        rel = file.relative_path();
    return pathText(rel.lexically_normal().generic_u8string());
}

Expansion expandPatterns(const std::vector<std::string>& specs, const PatternOptions& options) {
    Expansion out;
    for (const std::string& pattern : specs) {
        std::filesystem::path p = absoluteFrom(std::filesystem::path(pattern), options.base);
        std::string last = pathText(p.filename());
        if (hasWildcard(last)) {
            std::filesystem::path folder = p.parent_path();
            addMatches(folder.empty() ? std::filesystem::path(".") : folder, last, options, out);
            continue;
        }
        std::error_code ec;
        if (std::filesystem::is_regular_file(p, ec)) {
            out.inputs.push_back({p, memberNameFor(p, options)});
        } else if (std::filesystem::is_directory(p, ec) && options.recurse) {
            PatternOptions inside = options;
            addMatches(p, "*", inside, out);
        } else {
            out.missing.push_back(pattern);
        }
    }
    return out;
}

} // namespace quillan::archive
