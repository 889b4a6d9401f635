#pragma once
// Reading a file named by a statement or a script, which may name anything: only a regular file is
// read. A device (/dev/zero never ends), a FIFO (an open would wait for a writer) or a folder is
// refused, and the check is made on the opened file itself, so a name swapped for a FIFO after a
// look at it cannot make the reader wait.
#include <filesystem>
#include <string>

namespace quillan {

enum class RegularFileStatus { Read, Missing, NotRegular, Failed };

struct RegularFileRead {
    RegularFileStatus status = RegularFileStatus::Failed;
    std::string bytes; // the whole file when status is Read
};

// The file's whole content; symbolic links are followed to what they name.
RegularFileRead readRegularFile(const std::filesystem::path& file);

} // namespace quillan
