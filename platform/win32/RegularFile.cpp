// Opened with CreateFileW and checked with GetFileType: a disk file is the regular kind; pipes and
// character devices (CON, NUL, COM1) are refused. Folders cannot be opened without backup semantics.
#include "platform/RegularFile.h"

#include <windows.h>

namespace quillan {

RegularFileRead readRegularFile(const std::filesystem::path& file) {
    RegularFileRead r;
    HANDLE h = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD e = GetLastError();
        std::error_code ec;
        r.status = e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? RegularFileStatus::Missing
                   : e == ERROR_ACCESS_DENIED && std::filesystem::is_directory(file, ec)
                       ? RegularFileStatus::NotRegular
                       : RegularFileStatus::Failed;
        return r;
    }
    if (GetFileType(h) != FILE_TYPE_DISK) {
        CloseHandle(h);
        r.status = RegularFileStatus::NotRegular;
        return r;
    }
    char buf[1 << 16];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
            CloseHandle(h);
            r.bytes.clear();
            r.status = RegularFileStatus::Failed;
            return r;
        }
        if (n == 0)
            break;
        r.bytes.append(buf, n);
    }
    CloseHandle(h);
    r.status = RegularFileStatus::Read;
    return r;
}

} // namespace quillan
