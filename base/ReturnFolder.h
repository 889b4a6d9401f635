#pragma once
// The target-folder rule for a SetupDetails File_Path text.
#include "base/Console.h"

#include <string>

namespace quillan {

// A text containing "App.Path" (any letter case) names the application folder followed by the
// text from its ninth character on ("App.Path\Reports" -> appPath + "\Reports"); any other text
// is returned unchanged. Works on Windows texts; a failure logs " - ReturnFolder" and answers "".
std::string ReturnFolder(Console& c, const std::string& filePath);

} // namespace quillan
