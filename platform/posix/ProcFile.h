#pragma once
// Reading the small text files of /proc/<pid>. A process that exits and is reaped between the open
// and the read makes read(2) fail with ESRCH; the stream library turns that into an exception,
// which would end a whole run over a process that merely went away. These read it as empty.
#include <filesystem>
#include <string>

namespace quillan::posix {

// The whole content of an open descriptor, or "" when a read fails.
std::string readAllOrEmpty(int fd);

// The whole content of the file, or "" when it cannot be opened or read.
std::string readProcFile(const std::filesystem::path& p);

} // namespace quillan::posix
