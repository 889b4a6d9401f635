#pragma once
// Unpacks one zipped deploy script into tempExtractFolder, every member under its bare name.
#include "base/Console.h"

#include <string>

namespace quillan {

// False (after an information box naming the failure) when the archive cannot be unpacked; the
// import must then not count the script as processed.
bool UnzipScriptFile(Console& c, const std::string& zipFilePath);

} // namespace quillan
