// MoveFileExW replaces the target in one step. A running program's file cannot be replaced, but it
// can be renamed: then the old file is moved aside first and deleted when it is no longer in use
// (at the next start of the system at the latest), so the new copy still gets the final name.
#include "platform/OsHooks.h"

#include <string>
#include <system_error>
#include <windows.h>

namespace quillan::os {
namespace {

[[noreturn]] void fail(DWORD code, const std::filesystem::path& from, const std::filesystem::path& to) {
    throw std::filesystem::filesystem_error("cannot rename", from, to,
                                            std::error_code(static_cast<int>(code), std::system_category()));
}

} // namespace

void renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    constexpr DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExW(from.c_str(), to.c_str(), flags))
        return;
    const DWORD code = GetLastError();
    if (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION)
        fail(code, from, to);
    // A folder in the target's place is refused as well, and must stay where it is.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
        fail(code, from, to);
    std::filesystem::path aside = to;
    aside += L".old-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(GetTickCount64());
    if (!MoveFileExW(to.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH))
        fail(code, from, to); // the target cannot be moved either: report the first reason
    if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH)) {
        const DWORD second = GetLastError();
        MoveFileExW(aside.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH); // put the old file back
        fail(second, from, to);
    }
    if (!DeleteFileW(aside.c_str())) {
        // Still in use: hidden, so that folder listings do not offer it as a file of the release,
        // and deleted at the next start where this process may ask for that.
        SetFileAttributesW(aside.c_str(), FILE_ATTRIBUTE_HIDDEN);
        MoveFileExW(aside.c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
}

} // namespace quillan::os
