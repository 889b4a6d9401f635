#pragma once
// The undo's file step: the old copies that the file backup saved in the backup folder go back over
// the files the run replaced (EXEs, report files, components, other files), and the components are
// unregistered and registered again with the registration tool.
#include "base/Console.h"

#include <string>
#include <vector>

namespace quillan {

// Puts back only the kinds of file the run state says were replaced. A file without a copy in the
// backup folder was not there before the run (the release adds it) and is left. Every file is
// tried even after one fails; the answer lists what could not be put back (empty: all of it), each
// also logged with " in Restoring files".
std::vector<std::string> putBackOldFiles(Console& c);

} // namespace quillan
