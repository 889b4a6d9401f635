#pragma once
// std::fopen for a path in the system's own encoding of file names: the wide one on Windows, so that
// a name outside the ANSI code page opens too.
#include <cstdio>
#include <filesystem>
#include <string>

namespace quillan {

inline std::FILE* openFile(const std::filesystem::path& file, const char* mode) {
#ifdef _WIN32
    const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
    return ::_wfopen(file.c_str(), wideMode.c_str());
#else
    return std::fopen(file.c_str(), mode);
#endif
}

} // namespace quillan
