#pragma once
// What a folder holds, file by file, to show that a failed run left it byte for byte as it was,
// and the names a run may leave in the update folder for a later run (the resumable downloads).
#include "tests/support/Files.h"

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <system_error>
#include <vector>

namespace quillan::test {

// Every file below `folder` by its path relative to it, with its bytes; empty when there is none.
inline std::map<std::string, std::string> snapshot(const std::filesystem::path& folder) {
    std::map<std::string, std::string> files;
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(folder, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
        if (it->is_regular_file(ec))
            files[std::filesystem::relative(it->path(), folder).generic_string()] = readFile(it->path());
    return files;
}

// What a snapshot shows in a failure message: each file's size and a hash of its bytes, not the bytes.
inline std::map<std::string, std::string> fingerprint(const std::map<std::string, std::string>& files) {
    std::map<std::string, std::string> out;
    for (const auto& [name, bytes] : files)
        out[name] =
            std::to_string(bytes.size()) + " bytes #" + std::to_string(std::hash<std::string>{}(bytes));
    return out;
}

// A download's own temporary names: "<name>.part" and its record "<name>.part.info".
inline bool isResumableDownload(const std::string& name) {
    return name.ends_with(".part") || name.ends_with(".part.info");
}

// The names in `files` that are neither `published` with exactly its bytes nor allowed to stay
// (`mayStay`, when given: a resumable download, say): a half file under a final name, or a
// temporary left behind.
inline std::vector<std::string> strayFiles(const std::map<std::string, std::string>& files,
                                           const std::map<std::string, std::string>& published,
                                           bool (*mayStay)(const std::string&)) {
    std::vector<std::string> stray;
    for (const auto& [name, bytes] : files) {
        const auto it = published.find(name);
        if (it != published.end() ? it->second != bytes : !(mayStay != nullptr && mayStay(name)))
            stray.push_back(name);
    }
    return stray;
}

} // namespace quillan::test
