#pragma once
// Program folder + "\" + name, deleted when present and created again empty (the HTTP check's
// "Test.log"). The start-up code has its own copy in the console library, which this library
// cannot link; this one keeps the same behaviour and failure text.
#include "console/Console.h"

#include <string>

namespace quillan::transfer {
bool CreateLogFile(Console& c, const std::string& name);
} // namespace quillan::transfer
