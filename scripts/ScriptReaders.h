#pragma once
// The readers of the deploy-script import: one per script format, each turning a script file into
// the text that is run in the application database, with the file's lines shown as progress on
// checklist row 3. The CSV and Excel scripts are read by the database server itself, from fixed
// work files: "C:\CSVImport.csv" and "C:\ExcelImport.xls".
#include "base/Console.h"

#include <string>

namespace quillan {

// Copies the script to "C:\CSVImport.csv" and returns the BULK INSERT of that file; "" after a
// failure (shown in an information box).
std::string ImportCvsFile(Console& c, const std::string& fileName);
// Copies the script to "C:\ExcelImport.xls" and returns the INSERT ... OPENROWSET naming every
// column of SETUPDETAILS; "" after a failure (shown in an information box).
std::string ImportXlfile(Console& c, const std::string& fileName);
// The whole XML document of the file (a byte-order mark left out); "" for an empty file or after a
// failure (shown in an information box).
std::string ImportXmlText(Console& c, const std::string& fileName);
// The non-blank lines of the file, each preceded by CR LF; "" when nothing is left. Failures pass
// to the caller.
std::string ImportSqlText(Console& c, const std::string& fileName);

} // namespace quillan
