// Attributes through SetFileAttributesW; FILE_ATTRIBUTE_NORMAL clears every other bit.
#include "platform/FileAttributes.h"

#include <system_error>
#include <windows.h>

namespace quillan {

void clearFileAttributes(const std::filesystem::path& file) {
    if (!SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL))
        throw std::filesystem::filesystem_error(
            "cannot clear the attributes", file,
            std::error_code(static_cast<int>(GetLastError()), std::system_category()));
}

} // namespace quillan
