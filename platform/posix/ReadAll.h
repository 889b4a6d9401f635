#pragma once
// The read loop of the POSIX readers: everything up to the end of an open descriptor.
#include <string>

namespace quillan::posix {

// Appends the descriptor's bytes up to its end to `out`, reading again after a signal. False, with
// `out` cleared, when a read fails (for a /proc file, ESRCH: the process is gone).
bool readAll(int fd, std::string& out);

} // namespace quillan::posix
