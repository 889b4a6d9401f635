#pragma once
// Test helpers shared by the platform, database, archive and executable tests: a scratch folder per
// test, whole-file reads and writes, and environment settings that are put back afterwards.
#include "tests/support/Files.h"
#include "tests/support/TempDir.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#ifdef _WIN32
#include <process.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillan::test {

inline std::uint32_t thisProcessId() {
#ifdef _WIN32
    return static_cast<std::uint32_t>(::_getpid());
#else
    return static_cast<std::uint32_t>(::getpid());
#endif
}

// True when the Windows build runs under Wine, which leaves some of Windows' reports out (the
// progress of CopyFileExW's chunks); a case that needs them says so and checks the rest.
inline bool underWine() {
#ifdef _WIN32
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
    return false;
#endif
}

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
#ifdef _WIN32
        ::_putenv_s(name_.c_str(), value ? value->c_str() : ""); // an empty value removes it
        if (name_ == "TZ")
            ::_tzset();
#else
        if (value)
            ::setenv(name_.c_str(), value->c_str(), 1);
        else
            ::unsetenv(name_.c_str());
        if (name_ == "TZ")
            ::tzset();
#endif
    }
    std::string name_;
    std::optional<std::string> old_;
};

// Central European time with its summer rule, written as a POSIX TZ rule so no zone files are needed.
inline constexpr const char* centralEurope = "CET-1CEST,M3.5.0,M10.5.0/3";

// The machine's zone as Central European time for the lifetime of the guard. POSIX: the TZ rule
// above. Windows' C runtime reads no summer rule from TZ, so there the variable is removed and the
// system's own zone is used (tools/windows-tests.sh starts Wine in it); active() is False when the
// system is in another zone, and the test then skips.
class CentralEuropeZone {
public:
#ifdef _WIN32
    CentralEuropeZone() : tz_("TZ", std::nullopt) {}
    bool active() const {
        TIME_ZONE_INFORMATION zone{};
        return GetTimeZoneInformation(&zone) != TIME_ZONE_ID_INVALID && zone.Bias == -60 &&
               zone.DaylightBias == -60 && zone.DaylightDate.wMonth == 3;
    }
#else
    CentralEuropeZone() : tz_("TZ", std::string(centralEurope)) {}
    bool active() const {
        return true;
    }
#endif

private:
    EnvGuard tz_;
};

} // namespace quillan::test
