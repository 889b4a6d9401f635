// Running a program on Windows: CreateProcessW with a quoted command line, no handles inherited,
// and the process handle polled with a short wait so that the caller can repaint between polls.
#include "platform/ProgramRunner.h"
#include "platform/win32/WideText.h"

#include <string>
#include <windows.h>

namespace quillan {
namespace {

std::string systemMessage(DWORD code) {
    char* text = nullptr;
    const DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string message = n != 0 && text != nullptr ? std::string(text, n) : "error " + std::to_string(code);
    LocalFree(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message;
}

} // namespace

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::function<void()>& whileWaiting) {
    ProgramRun run;
    const std::u8string u8 = program.u8string(); // the arguments are UTF-8 too
    const std::string name(reinterpret_cast<const char*>(u8.data()), u8.size());
    // CreateProcessW may write into the command line: it must be a modifiable buffer.
    std::wstring line = wide(windowsCommandLine(name, arguments));
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    // No application name: the first word is searched on the system path, as the tool mode expects.
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                        nullptr, &startup, &info)) {
        run.error = "cannot start " + name + ": " + systemMessage(GetLastError());
        return run;
    }
    CloseHandle(info.hThread);
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(timeout.count());
    for (;;) {
        const DWORD state = WaitForSingleObject(info.hProcess, 20); // the short sleep between polls
        if (state == WAIT_OBJECT_0) {
            DWORD code = 0;
            GetExitCodeProcess(info.hProcess, &code);
            CloseHandle(info.hProcess);
            run.outcome = ProgramRun::Outcome::Exited;
            run.exitCode = static_cast<int>(code);
            return run;
        }
        if (state != WAIT_TIMEOUT) {
            run.error = "cannot wait for " + name + ": " + systemMessage(GetLastError());
            CloseHandle(info.hProcess);
            return run;
        }
        if (GetTickCount64() >= deadline)
            break;
        if (whileWaiting)
            whileWaiting();
    }
    TerminateProcess(info.hProcess, 1);
    WaitForSingleObject(info.hProcess, 5000);
    CloseHandle(info.hProcess);
    run.outcome = ProgramRun::Outcome::TimedOut;
    run.exitCode = 1;
    run.error = name + " did not end within " + std::to_string(timeout.count()) + " ms";
    return run;
}

} // namespace quillan
