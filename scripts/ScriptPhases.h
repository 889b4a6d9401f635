#pragma once
// The first two phases of a run: the deploy-script download (checklist row 2, grid row 2) and the
// deploy-script import (row 3, grid row 3). Each records its own success or failure (row picture,
// grid entry, status box, runFailed); a failure lets the run go on to the pending check. A LAN
// client neither fetches nor imports: the database server's machine does both, so both phases
// count as done there.
#include "base/Console.h"
#include "transfer/TransferSession.h"

namespace quillan {

// True when the phase counts as done.
bool DeployScriptDownloadPhase(Console& c, TransferSession& t);
bool DeployScriptImportPhase(Console& c);

} // namespace quillan
