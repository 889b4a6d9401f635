#pragma once
// The names a release carries: the file names its deploy script lists (which become File_Names and
// the bare member names of its packages, and land in a folder of a Windows installation) and the
// names of the deploy scripts themselves, which the console's download and import pick by rule.
#include "app/release/ReleaseOptions.h"

#include <string>

namespace quillan::release {

// The longest File_Names and FileExtension the console's table holds.
constexpr std::size_t kMaxFileNameBytes = 255;
constexpr std::size_t kMaxExtensionBytes = 10;

// Why a release file's name cannot be carried, or "" when it can: it must be a plain file name
// (no folder, drive or control character: a tab or line end would also break the CSV script) in
// UTF-8 (the XML and Excel scripts carry Unicode; other bytes would be misread), hold
// none of the characters Windows refuses in a name (<>"|?*), not end with a dot or a blank (Windows
// drops them, so the file would land under another name), and fit the table's columns.
std::string whyNotCarriable(const std::string& name);

// The upper-cased text after the last "." ("" when there is none): the row's FileExtension.
std::string extensionOf(const std::string& name);

// The deploy script's file name by the naming rule: "SETUPDETAILS_<version>.<ext>" for a master
// script, "<distributor>_SETUPDETAILS_<version>.<ext>" for a transaction script. The version is
// written with six digits so that the import, which takes the scripts of a kind in file-name
// order, loads releases in version order. `extension` is the format's, or "zip" when zipped.
std::string scriptFileName(const ReleaseOptions& o, const std::string& extension);

// Why a distributor code cannot start a transaction script's name, or "" when it can: the console
// splits names at "_" and compares the first part with its code, and skips names holding ".log".
std::string whyNotDistributorCode(const std::string& code);

} // namespace quillan::release
