#pragma once
// The folders a release may write into: the application folder and the drives the drive map
// names. A target folder comes from the release table (File_Path through ReturnFolder), so it is
// checked before anything is created, copied or put back there.
#include "base/Console.h"

#include <string>

namespace quillan {

// Why the folder (a Windows text, as ReturnFolder answers it) lies outside the installation, or ""
// when it lies inside: on a drive the map names ("C:\Tervik\Bin"), or in the application folder
// (whose text need not name a drive when the folder lies outside every mapped one). Refused: an
// empty text, a ".." component, and texts whose place depends on the current drive or folder or
// on the network: rooted ("\x"), relative ("x"), drive-relative ("C:x") and UNC ("\\host\share").
std::string folderOutsideInstallation(const Console& c, const std::string& folder);

} // namespace quillan
