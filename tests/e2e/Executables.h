#pragma once
// The built executables driven as an operator drives them: a sample installation made by
// quillan-sample, its database read and written through quillan-sql, a headless run of quillan,
// the central office served by quillan-office in a process of its own, and any of them as a child
// process to watch and kill.
#include "tests/support/ChildProcess.h"
#include "tests/support/Command.h"
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

namespace quillan::test {

namespace fs = std::filesystem;

inline const fs::path& binaryFolder() {
    static const fs::path bin = fs::path(QUILLAN_BINARY_DIR) / "app";
    return bin;
}

// The console's own executables (quillan, quillan-sample) of this build, or those of the Windows
// build run under Wine when QUILLAN_WINDOWS_BIN names its folder (tools/windows-tests.sh); the
// office's tools and quillan-sql always run natively.
inline const char* windowsBin() {
    const char* bin = std::getenv("QUILLAN_WINDOWS_BIN");
    return bin != nullptr && *bin != '\0' ? bin : nullptr;
}
inline std::string consoleProgram(const std::string& name) {
    if (const char* bin = windowsBin())
        return "wine " + shellQuote((fs::path(bin) / (name + ".exe")).string());
    return shellQuote((binaryFolder() / name).string());
}
// A path as the console's executables take it: under Wine, on drive Z:, which is the root there.
inline std::string consolePath(const fs::path& path) {
    if (windowsBin() == nullptr)
        return shellQuote(path.string());
    std::string text = "Z:" + fs::absolute(path).string();
    for (char& ch : text)
        ch = ch == '/' ? '\\' : ch;
    return shellQuote(text);
}

// A child process (a path, or a program on the PATH) with its output and errors in a file; ended
// (SIGTERM, then SIGKILL) and reaped when it goes.
class Child {
public:
    Child(std::vector<std::string> args, const fs::path& output) {
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        ::posix_spawn_file_actions_init(&actions);
        ::posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
        ::posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        ::posix_spawn_file_actions_adddup2(&actions, 1, 2);
        const int rc = ::posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        ::posix_spawn_file_actions_destroy(&actions);
        if (rc != 0)
            throw std::runtime_error("cannot start " + args.front());
    }
    ~Child() { endChildProcess(pid_); }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Kills the child at once (a crash) and reaps it.
    void kill() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
            pid_ = 0;
        }
    }
    // The exit code once it has ended by itself, polled; nullopt while it runs.
    std::optional<int> exited() {
        if (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_)
            pid_ = 0;
        if (pid_ > 0)
            return std::nullopt;
        return WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

private:
    pid_t pid_ = 0;
    int status_ = 0;
};

// Polls every few milliseconds until `done` answers true or the time runs out; false then.
inline bool waitFor(const std::function<bool()>& done, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

// quillan-office serving `root` on a port the system picks (read from its --port-file) or one
// named by "--port" among the further options (faults), over HTTPS when given a certificate and
// its key. Its output (a line per request) goes to a file beside the port file.
class OfficeProcess {
public:
    explicit OfficeProcess(const fs::path& root, const fs::path& portFile,
                           const std::vector<std::string>& options = {}, const CertificateFiles& tls = {})
        : scheme_(tls.certificate.empty() ? "http://" : "https://"), output_(portFile.string() + ".out") {
        fs::remove(portFile);
        std::vector<std::string> args{(binaryFolder() / "quillan-office").string(), root.string(),
                                      "--port-file", portFile.string()};
        args.insert(args.end(), options.begin(), options.end());
        if (!tls.certificate.empty())
            args.insert(args.end(), {"--certificate", tls.certificate.string(), "--private-key",
                                     tls.privateKey.string()});
        child_ = std::make_unique<Child>(args, output_);
        if (!waitFor([&] { return readFile(portFile).find('\n') != std::string::npos; },
                     std::chrono::seconds(10)))
            throw std::runtime_error("quillan-office did not start: " + output());
        port_ = std::stoi(readFile(portFile));
    }
    std::string serverPath() const { return scheme_ + "127.0.0.1:" + std::to_string(port_) + "/"; }
    std::string output() const { return readFile(output_); }
    int port() const { return port_; }

private:
    std::string scheme_;
    fs::path output_;
    std::unique_ptr<Child> child_;
    int port_ = 0;
};

// A sample installation in a scratch folder: drive C: of the sample is the folder itself.
struct SampleInstall {
    TempDir base{"quillan-e2e"};
    fs::path dir = base / "install";

    explicit SampleInstall(const std::string& options) {
        const CommandResult made =
            runCommand(consoleProgram("quillan-sample") + " " + consolePath(dir) + " " + options);
        if (made.code != 0)
            throw std::runtime_error("quillan-sample failed: " + made.out);
    }
    fs::path updateFolder() const { return dir / "Tervik" / "Update"; }
    std::string runLog() const { return readFile(dir / "Tervik" / "Logs" / "DeployErrlog.log"); }

    // T-SQL through quillan-sql; its output (a header line, then tab-separated rows, "NULL").
    std::string sql(const std::string& statement) const {
        const CommandResult r =
            runCommand(shellQuote((binaryFolder() / "quillan-sql").string()) + " --app-dir " +
                       shellQuote(dir.string()) + " -Q " + shellQuote(statement));
        if (r.code != 0)
            throw std::runtime_error("quillan-sql failed on " + statement + ": " + r.out);
        return r.out;
    }
    // The rows of a query, each the tab-joined fields, without the header line.
    std::vector<std::string> rows(const std::string& query) const {
        std::istringstream lines(sql(query));
        std::vector<std::string> out;
        std::string line;
        std::getline(lines, line); // the column names
        while (std::getline(lines, line))
            out.push_back(line);
        return out;
    }
    // A headless run; `options` are further quillan options (answers).
    CommandResult run(const std::string& options = "") const {
        return runCommand(consoleProgram("quillan") + " --app-dir " + consolePath(dir) + " --headless " +
                          options);
    }
};

} // namespace quillan::test
