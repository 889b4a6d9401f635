#pragma once
// The old copies a cut run left in the backup folder. The finishing operation and the undo remove
// the copies of the listed extensions (FileExtension Type 1), so such a copy stays there only when
// a run was killed after its file backup. (A copy of another extension may be of any earlier run:
// it is never taken for the cut run's.) If it was
// killed after replacing files too, the installed files already hold the release's bytes and
// those copies are the only old ones left: the next run's database backup must not remove them,
// and its file backup must not save the new files over them as the "old" ones.
#include "base/Console.h"

#include <string>
#include <vector>

namespace quillan {

// The names of the release's files (those the file backup copies) whose copy of a listed extension
// waits in the backup folder while the installed file already holds exactly the bytes of the
// release's file in the update folder. A file any of the three of which cannot be read is left out.
std::vector<std::string> oldCopiesOfACutRun(Console& c);

} // namespace quillan
