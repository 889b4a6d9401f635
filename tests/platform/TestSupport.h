#pragma once
// Test helpers shared by the platform, database, archive and executable tests: a scratch folder per
// test, whole-file reads and writes, and environment settings that are put back afterwards.
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>

namespace quillan::test {

// Sets (or with nullopt removes) an environment variable for the lifetime of the guard.
class EnvGuard {
public:
    EnvGuard(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
        if (const char* old = std::getenv(name_.c_str()))
            old_ = old;
        set(value);
    }
    ~EnvGuard() { set(old_); }
    EnvGuard(const EnvGuard&) = delete;
    EnvGuard& operator=(const EnvGuard&) = delete;

private:
    void set(const std::optional<std::string>& value) {
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
        if (name_ == "TZ")
            ::tzset();
    }
    std::string name_;
    std::optional<std::string> old_;
};

// Central European time with its summer rule, written as a POSIX TZ rule so no zone files are needed.
inline constexpr const char* centralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

} // namespace quillan::test
