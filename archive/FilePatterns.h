#pragma once
// Expanding the file patterns given to cZip into the files to store and their member names.
// A pattern is a path; its last component may hold the wildcards '*' and '?', matched
// without regard to case as Windows does.
#include "platform/Wildcard.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::archive {

bool hasWildcard(std::string_view text);

struct PatternOptions {
    std::filesystem::path base; // relative patterns are taken from here (empty: current folder)
    bool recurse = false;       // wildcards also match in every sub-folder
    bool storeFolders = false;  // member names keep the folders (relative to base when below it)
};

struct Input {
    std::filesystem::path file;
    std::string member; // '/'-separated
};

struct Expansion {
    std::vector<Input> inputs;
    std::vector<std::string> missing; // plain patterns naming no file
};

Expansion expandPatterns(const std::vector<std::string>& specs, const PatternOptions& options);

// The member name for a file: its bare name, or its path below base (else without its root).
std::string memberNameFor(const std::filesystem::path& file, const PatternOptions& options);

} // namespace quillan::archive
