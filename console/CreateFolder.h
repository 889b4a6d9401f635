#pragma once
// Folder creation on Windows path texts, level by level.
#include "base/Console.h"

#include <string>

namespace quillan {

// Creates every missing level of a "\"-separated folder path (the first element, normally the
// drive, is taken as it is). Existing levels are left alone. A failure shows its description +
// " In CreateFolder" and answers false; the levels created before it stay.
bool CreateFolder(Console& c, const std::string& path);

} // namespace quillan
