// Listing on Windows: FindFirstFileW/FindNextFileW, which give each entry's attributes directly.
#include "platform/FolderListing.h"

#include <algorithm>
#include <system_error>
#include <windows.h>

namespace quillan {

std::vector<std::filesystem::path> listPlainFiles(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    std::vector<fs::path> files;
    WIN32_FIND_DATAW found{};
    HANDLE search = FindFirstFileW((folder / L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND)
            return files; // an empty folder (not even "." on some file systems)
        throw fs::filesystem_error("cannot list the folder", folder,
                                   std::error_code(static_cast<int>(code), std::system_category()));
    }
    constexpr DWORD skipped = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
    do {
        if ((found.dwFileAttributes & skipped) == 0)
            files.push_back(folder / found.cFileName);
    } while (FindNextFileW(search, &found));
    const DWORD last = GetLastError();
    FindClose(search);
    if (last != ERROR_NO_MORE_FILES)
        throw fs::filesystem_error("cannot list the folder", folder,
                                   std::error_code(static_cast<int>(last), std::system_category()));
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace quillan
