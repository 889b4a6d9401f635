// Drives, computer name and system folder through the Win32 API.
#include "platform/SystemInfo.h"

#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <io.h>

#include <shellapi.h>
#include <system_error>

namespace quillan {

std::vector<FixedDrive> scanFixedDrives(const PathMap& /*map: Windows drives are the real ones*/) {
    const DWORD mask = GetLogicalDrives();
    if (mask == 0) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), "GetLogicalDrives");
    }
    std::vector<FixedDrive> drives;
    for (int i = 0; i < 26; ++i) {
        if ((mask & (1u << i)) == 0) {
            continue;
        }
        const char letter = static_cast<char>('A' + i);
        const char root[] = {letter, ':', '\\', '\0'};
        if (GetDriveTypeA(root) != DRIVE_FIXED) {
            continue;
        }
        ULARGE_INTEGER available, total, totalFree;
        if (!GetDiskFreeSpaceExA(root, &available, &total, &totalFree)) {
            continue; // not ready
        }
        drives.push_back({letter, available.QuadPart});
    }
    return drives;
}

std::string computerName() {
    char buffer[256] = {};
    DWORD size = 255;
    if (!GetComputerNameA(buffer, &size)) {
        return {};
    }
    return std::string(buffer); // cut at the first NUL
}

std::string systemDriveText() {
    char buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryA(buffer, MAX_PATH);
    if (n < 2 || n > MAX_PATH) {
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(),
                                "GetSystemDirectory");
    }
    return std::string(buffer, 2);
}

std::filesystem::path systemToolFolder() {
    wchar_t buffer[MAX_PATH + 1] = {};
    const UINT n = GetSystemDirectoryW(buffer, MAX_PATH);
    if (n == 0 || n > MAX_PATH) {
        return {};
    }
    return std::filesystem::path(std::wstring(buffer, n));
}

bool openWithAssociatedProgram(const std::filesystem::path& file) {
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteA(nullptr, "open", file.string().c_str(), nullptr, nullptr, SW_SHOWMAXIMIZED));
    return result > 32; // values up to 32 are error codes
}

std::filesystem::path executableFolder(const char* argv0) {
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer))
        return std::filesystem::path(buffer).parent_path();
    std::error_code ec;
    const auto fromArg = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
    return ec ? std::filesystem::current_path() : fromArg.parent_path();
}

bool standardInputIsTerminal() {
    return _isatty(_fileno(stdin)) != 0;
}

bool graphicalDisplayNamed() {
    return true; // a desktop session always has one
}

} // namespace quillan
