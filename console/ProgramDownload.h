#pragma once
// The program download (checklist row 4, grid rows from the run's counter): every package not yet
// complete is fetched into the update folder over FTP or HTTP on the database's own machine, or
// from the LAN share on a client, which then fetches the complete packages too (its second pass).
// The downloaded bytes are recorded in SetupDetails on the server machine only.
#include "base/Console.h"
#include "console/RunPhases.h"
#include "transfer/TransferSession.h"

#include <string>

namespace quillan {

// ProgramEnded when a package could not be fetched; Continue otherwise (an HTTP body that did not
// arrive whole is recorded as a failure and left to the verification).
PhaseOutcome ProgramDownload(Console& c, TransferSession& s);

// Megabytes as the size panel shows them: rounded to three decimals, no trailing zeros, " MB".
std::string megabytesText(double megabytes);

} // namespace quillan
