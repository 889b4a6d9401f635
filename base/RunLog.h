#pragma once
// The run log "DeployErrlog.log": recreated at every start, ASCII, CR LF line ends, kept open for
// the life of the process and flushed after every line, so nothing is lost if the process ends.
// The previous start's file is kept under its start time first (base/RunLogKeeping.h).
#include "base/RunLogKeeping.h"

#include <cstdio>
#include <filesystem>
#include <string>

namespace quillan {

class RunLog {
public:
    RunLog() = default;
    ~RunLog();
    RunLog(const RunLog&) = delete;
    RunLog& operator=(const RunLog&) = delete;

    // Keeps or deletes any file at `file` (as `keeping` says), creates it empty and writes the
    // four header lines. Throws std::system_error when the file cannot be created.
    void open(const std::filesystem::path& file, const RunLogKeeping& keeping = {});
    bool isOpen() const { return out_ != nullptr; }
    const std::filesystem::path& file() const { return file_; }

    // Appends one line. Before open() the line is kept in memory and written on open(), so that
    // nothing said before the log folder is known is lost. Non-ASCII bytes become '?'.
    void line(const std::string& text);
    // The whole file as it stands, read through a second, read-only stream.
    std::string readAll() const;

private:
    std::FILE* out_ = nullptr;
    std::filesystem::path file_;
    std::string pending_;
};

} // namespace quillan
