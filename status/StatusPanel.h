#pragma once
// The deployment panels and the pending check.
#include "base/Console.h"
#include "platform/DateTime.h"

namespace quillan {

// The server's date (local date when the server gives none); stored in state.serverDate.
DateTime GetServerDate(Console& c);
// Fills the current- and last-deployment panels from SetupDetails.
void CurrentDeployStatus(Console& c);

// The pending check's full answer. A check that failed is kept apart from "already applied",
// so that a database error is never taken for a finished deployment.
enum class PendingCheck {
    Pending,         // a program file or a hotfix of the recorded deployment is still pending, or
                     // its last run was cut before its close (release rows still in progress)
    Applied,         // the recorded deployment is applied on this machine
    NothingRecorded, // SetupDetails holds no row
    Failed,          // the check could not be made (its message has been shown)
};
// Sets state.setupDetailsFound (False only for NothingRecorded).
PendingCheck DeployProcessCheck(Console& c);
// True when a program file or a hotfix of the recorded deployment is still pending or its last run
// was cut before its close; sets
// state.setupDetailsFound. A failed check answers False.
bool DeployProcessStatus(Console& c);

} // namespace quillan
