#pragma once
// The statements of the file backup and replacement phases: the files to back up, the running
// programs to close and the switch that says how, the other workstations still running the
// application, and the files each replacement sub-phase copies into place.
#include <string>

namespace quillan {

// The release's files other than packages, backed up before anything is replaced.
std::string supportingFilesQuery(const std::string& dbPrefix);
// The distinct program names of the release, tested for running processes.
std::string runningProgramsQuery(const std::string& dbPrefix);
// The 'AutoConfig2' switch: Status 1 asks and ends the programs, any other waits for the operator.
std::string closeProgramsSwitchQuery(const std::string& dbPrefix);
// One message per other workstation that still runs the application.
std::string otherWorkstationsQuery(const std::string& dbPrefix);
// The programs to replace, in release order.
std::string exeReplacementQuery(const std::string& dbPrefix);
// The report files (RPT and RTM) to replace, in release order.
std::string reportReplacementQuery(const std::string& dbPrefix);
// Every other plain file of ordinary rows, in release order.
std::string otherFilesReplacementQuery(const std::string& dbPrefix);

} // namespace quillan
