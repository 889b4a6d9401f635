#pragma once
// The one failure the archive wrappers raise. Callers catch it in their own handlers and report
// what() followed by their suffix (" in Unzip Files", " in Backup DB", ...).
#include <stdexcept>
#include <string>

namespace quillan {

class ArchiveError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

} // namespace quillan
