#include "app/ExecutableFolder.h"

#include <system_error>

#ifdef _WIN32
#include <cstdio>
#include <io.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillan::app {

std::filesystem::path executableFolder(const char* argv0) {
    std::error_code ec;
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4] = {};
    const DWORD n = GetModuleFileNameW(nullptr, buffer, static_cast<DWORD>(std::size(buffer)));
    if (n > 0 && n < std::size(buffer))
        return std::filesystem::path(buffer).parent_path();
#else
    const auto self = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (!ec)
        return self.parent_path();
#endif
    const auto fromArg = std::filesystem::absolute(argv0 ? argv0 : ".", ec);
    return ec ? std::filesystem::current_path() : fromArg.parent_path();
}

bool standardInputIsTerminal() {
#ifdef _WIN32
    return _isatty(_fileno(stdin)) != 0;
#else
    return ::isatty(STDIN_FILENO) != 0;
#endif
}

} // namespace quillan::app
