#pragma once
// The empty marker files the start-up and the HTTP check write into the program folder.
#include "base/Console.h"

#include <string>

namespace quillan {

// Program folder + "\" + name, deleted when present and created again empty. A failure shows its
// description + " In CreateLogFile " and answers false.
bool CreateLogFile(Console& c, const std::string& name);

} // namespace quillan
