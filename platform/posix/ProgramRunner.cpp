// Running a program on POSIX: posix_spawnp with the arguments as they are (no shell, so nothing
// needs quoting), every descriptor above the standard three closed in the child, and waitpid
// polled with a short sleep.
#include "platform/ProgramRunner.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillan {
namespace {

class SpawnActions {
public:
    SpawnActions() { ::posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { ::posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_{};
};

int codeOf(int status) {
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return -1;
}

} // namespace

ProgramRun runProgram(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                      std::chrono::milliseconds timeout, const std::function<void()>& whileWaiting) {
    ProgramRun run;
    std::vector<std::string> words{program.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& w : words)
        argv.push_back(w.data());
    argv.push_back(nullptr);

    SpawnActions actions;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors opened without close-on-exec (by a library) must not reach the child.
    ::posix_spawn_file_actions_addclosefrom_np(actions.get(), 3);
#endif
    pid_t pid = 0;
    // posix_spawnp searches PATH only for a name without a slash, as execvp does.
    if (const int rc = ::posix_spawnp(&pid, words[0].c_str(), actions.get(), nullptr, argv.data(), environ);
        rc != 0) {
        run.error = "cannot start " + words[0] + ": " + std::strerror(rc);
        return run;
    }
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) {
            run.outcome = ProgramRun::Outcome::Exited;
            run.exitCode = codeOf(status);
            return run;
        }
        if (done < 0 && errno != EINTR) {
            // Reaped elsewhere (SIGCHLD ignored): it has ended, but its code is lost.
            run.outcome = ProgramRun::Outcome::Exited;
            run.error = std::string("cannot wait for ") + words[0] + ": " + std::strerror(errno);
            return run;
        }
        if (std::chrono::steady_clock::now() >= deadline)
            break;
        if (whileWaiting)
            whileWaiting();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    run.outcome = ProgramRun::Outcome::TimedOut;
    run.exitCode = codeOf(status);
    run.error = words[0] + " did not end within " + std::to_string(timeout.count()) + " ms";
    return run;
}

} // namespace quillan
