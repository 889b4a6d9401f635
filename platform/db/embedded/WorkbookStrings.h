#pragma once
// A check of an Excel 97 workbook's shared string table before freexl reads it. freexl 1.0.6
// finishes a string that goes on in a CONTINUE record from that one record alone: a longer string
// (more than about 8,000 one-byte or 4,000 two-byte characters, or a table that claims more than it
// holds) makes it read past the end of the record, giving wrong texts or no sheet at all. The
// engine refuses such a workbook instead (WorkbookCheck.h); deploy scripts hold far shorter texts.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db::embedded {

// What makes the shared strings unreadable ("string 3 of the shared string table runs over more
// than two records"), or nullopt when they are readable: `records` are the bodies of the SST record
// and of the CONTINUE records that follow it.
std::optional<std::string> unreadableSharedStringRecords(const std::vector<std::string>& records);

// The same for the bytes of a workbook stream, as the container holds it (nullopt when it holds no
// shared string table).
std::optional<std::string> unreadableSharedStringInStream(std::string_view stream);

} // namespace quillan::db::embedded
