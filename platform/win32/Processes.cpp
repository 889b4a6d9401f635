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
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        return false;
    }
    if (!setDebugPrivilege(token, true)) {
        CloseHandle(token);
        return false;
    }
    bool ended = false;
    if (HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid); process != nullptr) {
        ended = TerminateProcess(process, exitCode) != 0;
        CloseHandle(process);
    }
    setDebugPrivilege(token, false);
    CloseHandle(token);
    return ended;
}

} // namespace quillan
