#pragma once
// The old copies a cut run left in the backup folder. The finishing operation and the undo remove
// the copies of the listed extensions (FileExtension Type 1), so such a copy stays there only when
// a run was killed after its file backup. (A copy of another extension may be of any earlier run:
// it is never taken for the cut run's.) If it was
// killed after replacing files too, the installed files already hold the release's bytes and
// those copies are the only old ones left: the next run's database backup must not remove them,
// and its file backup must not save the new files over them as the "old" ones.
#include "base/Console.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

// The names of the release's files (those the file backup copies) whose copy of a listed extension
// waits in the backup folder while the installed file already holds exactly the bytes of the
// release's file in the update folder. A file any of the three of which cannot be read is left out.
std::vector<std::string> oldCopiesOfACutRun(Console& c);

// One such copy: the release's file name, the installed file and the copy in the backup folder.
struct CutRunCopy {
    std::string name;
    std::filesystem::path installed, saved;
};
std::vector<CutRunCopy> cutRunCopies(Console& c);

// What a run that did not install the release keeps of the backup folder when it closes: the
// copies a cut run saved. They are told by the release's files in the update folder, so they are
// read before the update folder is emptied. Before the unpacking (`phaseReached` below 5) those
// files are not there yet, and a failed query tells nothing either: every copy is kept then, which
// loses nothing of this run (its own copies are made later, by the file backup).
struct KeptBackupCopies {
    bool all = false;
    std::string why;                // when all are kept
    std::vector<CutRunCopy> copies; // otherwise
};
KeptBackupCopies backupCopiesToKeep(Console& c, int phaseReached);

// RemovingFiles on the backup folder, sparing and logging the kept copies whose installed file still
// differs from them (an undo that put a copy back made it an ordinary copy again).
bool removeBackupFolderCopies(Console& c, const KeptBackupCopies& keep);

} // namespace quillan
