#pragma once
// The statements of the program download phase: the path corrections recorded in SetupDetails, the
// package selections of the download and its verification, the size bookkeeping and the
// mandatory-release mark. Each returns the exact text the phase sends.
#include <cstdint>
#include <string>

namespace quillan {

// Moves every registered component on drive C: to the system drive (trimmed), keeping the path
// after the first ":".
std::string systemDriveCorrection(const std::string& dbPrefix, const std::string& systemDrive);
// The report runtime's recorded folder.
std::string reportRuntimeFolderQuery(const std::string& dbPrefix);
// Points every report-runtime component row at the runtime's folder on the system drive (trimmed).
std::string reportRuntimeFolderCorrection(const std::string& dbPrefix, const std::string& systemDrive);
// The release's programs, whose target folders are created before the download.
std::string programFoldersQuery(const std::string& dbPrefix);

// The packages still to download, in release order.
std::string incompletePackagesQuery(const std::string& dbPrefix);
// The packages recorded as complete, fetched again by a LAN client in its second pass.
std::string completePackagesQuery(const std::string& dbPrefix);
// Records the bytes of a package present on the workstation.
std::string downloadSizeUpdate(const std::string& dbPrefix, std::int64_t size, const std::string& fileName);

// Verification: any row here means a package is still incomplete.
std::string incompletePackagesCheck(const std::string& dbPrefix);
// Verification: packages published with a size of 0 or less (or none), which no transport fetches.
std::string unsizedPackagesCheck(const std::string& dbPrefix);
// The complete packages published in pieces, to be joined before unpacking.
std::string splitPackagesQuery(const std::string& dbPrefix);
// Every package of the release; a file of the update folder that is none of them is stale.
std::string releasePackagesQuery(const std::string& dbPrefix);
// The recordset filter that finds a file of the update folder among the release's packages.
std::string packageNameFilter(const std::string& fileName);
// The application's answer whether this release is mandatory: which is 1 or 2 here (3 at start-up).
std::string setupDetailsFunctionQuery(const std::string& dbPrefix, int which);
// Marks a mandatory release of the highest hotfix as downloaded.
std::string mandatoryDownloadMark(const std::string& dbPrefix);

} // namespace quillan
