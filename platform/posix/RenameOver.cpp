// rename(2) replaces the target in one step; a running program keeps its old, now nameless copy.
#include "platform/OsHooks.h"

#include <cerrno>
#include <cstdio>
#include <system_error>

namespace quillan::os {

void renameOver(const std::filesystem::path& from, const std::filesystem::path& to) {
    if (std::rename(from.c_str(), to.c_str()) != 0)
        throw std::filesystem::filesystem_error("cannot rename", from, to,
                                                std::error_code(errno, std::generic_category()));
}

} // namespace quillan::os
