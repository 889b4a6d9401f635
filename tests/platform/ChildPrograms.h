#pragma once
// Runs copies of the test helper program under chosen file names and ends them at the end. Names
// carry this test process's id so that tests running in parallel never see each other's programs.
#include "TestSupport.h"
#include "platform/Processes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <gtest/gtest.h>
#include <thread>
#include <vector>
#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
extern char** environ;
#endif

namespace quillan::test {

class ChildPrograms {
public:
    using Pid = std::uint32_t;

    ChildPrograms() : tag_("q" + std::to_string(thisProcessId()) + "t" + std::to_string(counter_++)) {}
    ~ChildPrograms() {
        for (const auto& child : children_)
            stop(child);
    }
    ChildPrograms(const ChildPrograms&) = delete;
    ChildPrograms& operator=(const ChildPrograms&) = delete;

    // "app.exe" becomes e.g. "q123t0app.exe"; a prefix before it keeps the tag in the middle.
    std::string name(const std::string& prefix, const std::string& base) const {
        return prefix + tag_ + base;
    }
    // The folder the programs' files are in.
    const std::filesystem::path& dir() const { return dir_.path(); }

    // Starts the program (sleeping a minute) and waits until it shows up in the list.
    Pid start(const std::string& fileName) {
        const std::filesystem::path exe = dir() / fileName;
        if (!std::filesystem::exists(exe)) {
            std::filesystem::copy_file(QUILLAN_TEST_HELPER, exe);
            std::filesystem::permissions(exe, std::filesystem::perms::owner_all);
        }
        const Pid pid = launch(exe);
        for (int i = 0; i < 300 && !IsProcessRunning(fileName); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return pid;
    }

    // True when the child was ended from outside within three seconds (it sleeps a minute).
    bool ended(Pid pid) {
        const auto it = find(pid);
        if (it == children_.end())
            return false;
        const bool gone = endedFromOutside(*it);
        if (it->done)
            children_.erase(it);
        return gone;
    }

    bool stillRunning(Pid pid) {
        const auto it = find(pid);
        return it != children_.end() && running(*it);
    }

private:
#ifdef _WIN32
    struct Child {
        Pid pid;
        HANDLE process;
        bool done = false; // waited for: its handle is closed
    };
    Pid launch(const std::filesystem::path& exe) {
        std::wstring line = L"\"" + exe.wstring() + L"\" sleep 60";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        const bool started = CreateProcessW(exe.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                            nullptr, &startup, &info) != 0;
        EXPECT_TRUE(started) << GetLastError();
        if (!started)
            return 0;
        CloseHandle(info.hThread);
        children_.push_back({info.dwProcessId, info.hProcess, false});
        return info.dwProcessId;
    }
    static bool endedFromOutside(Child& c) {
        if (WaitForSingleObject(c.process, 3000) != WAIT_OBJECT_0)
            return false;
        CloseHandle(c.process);
        c.done = true;
        return true;
    }
    static bool running(const Child& c) {
        return WaitForSingleObject(c.process, 0) == WAIT_TIMEOUT;
    }
    static void stop(const Child& c) {
        TerminateProcess(c.process, 1);
        WaitForSingleObject(c.process, 5000);
        CloseHandle(c.process);
    }
#else
    struct Child {
        Pid pid;
        bool done = false; // reaped: the pid may belong to another process now
    };
    Pid launch(const std::filesystem::path& exe) {
        std::string program = exe.string(), mode = "sleep", seconds = "60";
        char* argv[] = {program.data(), mode.data(), seconds.data(), nullptr};
        pid_t pid = 0;
        EXPECT_EQ(::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ), 0);
        children_.push_back({static_cast<Pid>(pid), false});
        return static_cast<Pid>(pid);
    }
    // Ended by a signal, and reaped.
    static bool endedFromOutside(Child& c) {
        int status = 0;
        for (int i = 0; i < 300; ++i) {
            if (::waitpid(static_cast<pid_t>(c.pid), &status, WNOHANG) == static_cast<pid_t>(c.pid)) {
                c.done = true;
                return WIFSIGNALED(status);
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    static bool running(const Child& c) {
        return ::waitpid(static_cast<pid_t>(c.pid), nullptr, WNOHANG) == 0;
    }
    static void stop(const Child& c) {
        ::kill(static_cast<pid_t>(c.pid), SIGKILL);
        ::waitpid(static_cast<pid_t>(c.pid), nullptr, 0);
    }
#endif
    std::vector<Child>::iterator find(Pid pid) {
        return std::find_if(children_.begin(), children_.end(), [&](const Child& c) { return c.pid == pid; });
    }

    static inline std::atomic<int> counter_ = 0;
    TempDir dir_;
    std::string tag_;
    std::vector<Child> children_;
};

} // namespace quillan::test
