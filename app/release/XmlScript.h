#pragma once
// The XML deploy script: the data-set document the application's import procedure loads, a
// "SetupDetails" element per row and an element per column, on one line (the field's reader of
// XML scripts keeps only a script's last line). Dates in ISO form with "T". File_UnZipDate is left
// out (NULL), and so is a FileExtension of a name without one, as the CSV script leaves it empty.
#include "app/release/SetupRow.h"

#include <string>
#include <vector>

namespace quillan::release {

std::string xmlScript(const std::vector<SetupRow>& rows);

} // namespace quillan::release
