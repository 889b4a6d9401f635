#pragma once
// The CSV deploy script: what the import's BULK INSERT loads, fields in the table's column order,
// separated by tabs, a header line of the column names first (skipped as FIRSTROW = 2), CR LF line
// ends. File_UnZipDate is an empty field (NULL). Names reaching it hold no tab or line end: the
// release's names are checked before (FileNames.h).
#include "app/release/SetupRow.h"

#include <string>
#include <vector>

namespace quillan::release {

std::string csvScript(const std::vector<SetupRow>& rows);

} // namespace quillan::release
