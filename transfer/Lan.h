#pragma once
// The LAN transport of the program download: a client workstation (the database server is
// another machine) takes each package from the share `lanServerPath` into `updateFolder`.
#include <string>

namespace quillan {

class Console;

// True when the package is in updateFolder afterwards: already there (the share is not touched)
// or copied from the share. False when the share does not hold it or the copy failed; each case
// writes its run-log line. The copy goes through a temporary name and keeps the source's time;
// while it runs, row 4's bar counts 0..100 percent of the bytes (its picture and visibility are
// left to the caller) and the window repaints whenever the percent moves. A name that is
// not a plain file name is refused: names come from deploy scripts and never leave the folder.
bool DownloadFromLan(Console& c, const std::string& name);

// The file's size in bytes (unit 1 and any other unit) or in megabytes of 1024 x 1000 bytes
// (unit 2). A file that cannot be read shows its error with " In GetDownLoadFileSize" and gives 0.
double GetDownLoadFileSize(Console& c, const std::string& path, int unit);

} // namespace quillan
