#pragma once
// The deployment panels and the pending check.
#include "console/Console.h"
#include "platform/DateTime.h"

namespace quillan {

// The server's date (local date when the server gives none); stored in state.serverDate.
DateTime GetServerDate(Console& c);
// Fills the current- and last-deployment panels from SetupDetails.
void CurrentDeployStatus(Console& c);
// True when a program file or a hotfix of the recorded deployment is still pending; sets
// state.setupDetailsFound.
bool DeployProcessStatus(Console& c);

} // namespace quillan
