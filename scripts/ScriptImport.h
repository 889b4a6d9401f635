#pragma once
// The deploy-script import: every script file in deployInFolder, kind by kind in the order of
// DEPLOY_FILENAMES and file by file in name order, turned into one statement by its format and run
// in the application database through the administration interface; what is left afterwards is
// archived in archiveInFolder. A script stays in deployInFolder until it was imported, so a failed
// import loses nothing and the next run imports the rest. A script that cannot be imported is set
// aside in the folder of refused scripts (scripts/RefusedScripts.h) and the scripts after it go on.
#include "base/Console.h"

namespace quillan {

// True when the import ran through, or found no script while SETUPDETAILS already has rows; false
// as well when a script was refused, though the others were imported and archived.
bool UpdateDeployScript(Console& c);
// Rebuilds the work list DEPLOY_FILE_ORDER from the script files in deployInFolder. False when it
// stopped before the last file (a file time that cannot be read, a failed statement): the work
// list is then incomplete, and the import must not archive what it does not list.
bool FINDFILEDATE(Console& c);

} // namespace quillan
