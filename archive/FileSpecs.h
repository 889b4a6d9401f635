#pragma once
// Expanding the file specifications given to cZip into the files to store and their member names.
// A specification is a path; its last component may hold the wildcards '*' and '?', matched
// without regard to case as Windows does.
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::archive {

bool wildcardMatch(std::string_view pattern, std::string_view name); // case-insensitive
bool hasWildcard(std::string_view text);

struct SpecOptions {
    std::filesystem::path base; // relative specifications are taken from here (empty: current folder)
    bool recurse = false;       // wildcards also match in every sub-folder
    bool storeFolders = false;  // member names keep the folders (relative to base when below it)
};

struct Input {
    std::filesystem::path file;
    std::string member; // '/'-separated
};

struct Expansion {
    std::vector<Input> inputs;
    std::vector<std::string> missing; // plain specifications naming no file
};

Expansion expandSpecs(const std::vector<std::string>& specs, const SpecOptions& options);

// The member name for a file: its bare name, or its path below base (else without its root).
std::string memberNameFor(const std::filesystem::path& file, const SpecOptions& options);

} // namespace quillan::archive
