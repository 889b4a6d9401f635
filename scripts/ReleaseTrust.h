#pragma once
// Whether this installation verifies releases, and how a refusal ends the run. An installation
// verifies once its list of trusted keys ("Dll\TrustedKeys.txt", beside the connection settings)
// holds a key; without the list every release is taken as before and the run log says once that
// releases are not verified.
#include "base/Console.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillan {

// The list's file, and its name as the operator knows it ("C:\Tervik\Dll\TrustedKeys.txt").
std::filesystem::path trustedKeysFile(const Console& c);
std::string trustedKeysText(const Console& c);

// The trusted keys; empty when the list does not exist or names none. Throws
// trust::TrustedKeysError for a list that cannot be read or holds a line that is no key.
std::vector<std::string> trustedKeys(const Console& c);

// Refuses a release's file before anything of the installation or the database changed: the
// status label, the status box, a message and the run-log line name the file and the reason; the
// run is marked failed and the program ends (exit code 7).
void refuseRelease(Console& c, const std::string& file, const std::string& reason);

// The newest release this installation applied (0 before the first verified one). A database
// error is thrown, never taken for 0, which would let an old release in.
int newestAppliedRelease(Console& c);
void recordAppliedRelease(Console& c, int version);

} // namespace quillan
