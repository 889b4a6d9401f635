#pragma once
// A shell command run to its end without input: its exit code and its output, standard error
// included. For the tests that drive the built executables as an operator or a scheduler would.
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace quillan::test {

struct CommandResult {
    int code = -1; // -1 when it could not be started or did not exit by itself
    std::string out;
};

inline CommandResult runCommand(const std::string& command) {
    CommandResult r;
    FILE* p = ::popen((command + " 2>&1 </dev/null").c_str(), "r");
    if (!p)
        return r;
    std::array<char, 4096> buf{};
    for (std::size_t n; (n = std::fread(buf.data(), 1, buf.size(), p)) > 0;)
        r.out.append(buf.data(), n);
    const int status = ::pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

// A text as one word of the shell, whatever it holds.
inline std::string shellQuote(const std::string& text) {
    std::string out = "'";
    for (char ch : text)
        out += ch == '\'' ? std::string("'\\''") : std::string(1, ch);
    return out + "'";
}

} // namespace quillan::test
