#pragma once
// The Excel deploy script: an Excel 97 workbook whose sheet "Sheet1" the console's import reads
// through the server's OPENROWSET (INSERT ... SELECT of the table's columns from [Sheet1$]). Row 1
// holds the column names in the table's order; each later row is one SetupDetails row, its
// texts as texts, its numbers as numbers and File_CrDate as a date-time cell, so that the
// server's Excel reader types each column as the table does. An empty column (File_UnZipDate, an
// absent extension) is an empty cell, which the import loads as NULL.
#include "app/release/SetupRow.h"

#include <string>
#include <vector>

namespace quillan::release {

// The workbook's bytes. Throws ReleaseError for more rows than a sheet holds, or a text that is
// not UTF-8.
std::string excelScript(const std::vector<SetupRow>& rows);

} // namespace quillan::release
