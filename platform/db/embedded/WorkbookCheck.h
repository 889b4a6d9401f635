#pragma once
// The check an Excel 97 workbook passes before freexl reads it. freexl 1.0.6 trusts what a file
// says of itself: a container header that names more allocation sectors than it holds makes it
// read past a buffer, a stream size of 4 GB makes it ask for 4 GB, a text longer than its record
// makes it read past the record. So freexl is never given the file itself: the container is read
// through the platform's compound-file reader, which checks it, every record of the workbook
// stream that freexl reads is checked against its own length and the engine's limits, and the
// stream is written into a fresh container of its own that freexl then opens.
#include "platform/db/embedded/WorkbookDateCells.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quillan::db::embedded {

// What the engine takes from a workbook at most.
struct WorkbookLimits {
    std::uint64_t streamBytes = 16ull << 20; // the workbook stream
    std::uint64_t cells = 4ull << 20;        // the cells all sheets declare (rows x columns)
    std::uint64_t sheets = 256;
};

// Why the workbook stream's records cannot be given to freexl ("record 7 (type 0x0204) ends
// before its text"), or nullopt when they can.
std::optional<std::string> unreadableWorkbookStream(std::string_view stream,
                                                    const WorkbookLimits& limits = {});

// Checks `workbook` and writes its checked stream into a fresh container at `copy` (replaced if
// there; left as it was when the workbook is refused), its date cells as plain numbers that `dates`
// remembers (WorkbookDateCells.h). Returns why the workbook cannot be read, or nullopt when `copy`
// was written.
std::optional<std::string> writeCheckedWorkbook(const std::filesystem::path& workbook,
                                                const std::filesystem::path& copy, WorkbookDateCells& dates,
                                                const WorkbookLimits& limits = {});

} // namespace quillan::db::embedded
