#pragma once
// The four work tables this system owns, each created by one batch when missing.
#include <array>
#include <string>

namespace quillan {

// DeploymentMessage, TempBackupFile, FileExtension, DeploymentVesrion, in that order; the texts
// are fixed to the blank.
std::array<std::string, 4> workTableStatements(const std::string& dbPrefix);

} // namespace quillan
