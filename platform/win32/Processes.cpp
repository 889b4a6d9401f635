// Processes through the Tool Help snapshot; ending one takes the debug privilege for the call.
#include "platform/Processes.h"

#include "platform/OsHooks.h"

#include <windows.h>

#include <tlhelp32.h>

namespace quillan {
namespace {

// Enables or disables SeDebugPrivilege on this process's token.
bool setDebugPrivilege(HANDLE token, bool enable) {
    LUID luid;
    if (!LookupPrivilegeValueA(nullptr, "SeDebugPrivilege", &luid)) {
        return false;
    }
    TOKEN_PRIVILEGES tp{};
    tp.PrivilegeCount = 1;
    tp.Privileges[0].Luid = luid;
    tp.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    return AdjustTokenPrivileges(token, FALSE, &tp, sizeof tp, nullptr, nullptr) != 0;
}

} // namespace

namespace os {
std::uint32_t currentProcessId() {
    return GetCurrentProcessId();
}
} // namespace os

std::vector<ProcessEntry> listProcesses() {
    std::vector<ProcessEntry> out;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return out;
    }
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        out.push_back({entry.th32ProcessID, std::string(entry.szExeFile)}); // szExeFile ends at its NUL
    }
    CloseHandle(snapshot);
    return out;
}

bool KillProcessById(std::uint32_t pid, std::uint32_t exitCode) {
    if (pid == 0 || pid == GetCurrentProcessId()) {
        return false;
    }
    // The privilege only widens what may be opened (other users' programs); one's own programs
    // can be ended without it, so failing to take it is no reason to give up.
    HANDLE token = nullptr;
    const bool privileged =
        OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token) &&
        setDebugPrivilege(token, true);
    // Only the rights the call needs: PROCESS_ALL_ACCESS is refused where ending is allowed.
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
    if (privileged) {
        setDebugPrivilege(token, false);
    }
    if (token != nullptr) {
        CloseHandle(token);
    }
    if (process == nullptr) {
        return false;
    }
    // A process that has ended stays openable while anyone holds a handle to it: it is gone.
    bool ended = WaitForSingleObject(process, 0) == WAIT_TIMEOUT && TerminateProcess(process, exitCode) != 0;
    if (ended) {
        // Ending is asynchronous: wait briefly, as on POSIX, so a following IsProcessRunning sees it gone.
        WaitForSingleObject(process, 2000);
    }
    CloseHandle(process);
    return ended;
}

} // namespace quillan
