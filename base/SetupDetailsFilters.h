#pragma once
// The selections of SetupDetails that several phases share: the release's files (not hotfixes),
// its packages, complete and incomplete downloads, its programs, the highest hotfix. The pieces are
// the statements' own texts, blanks included; each phase's builder joins them with the connecting
// words of its own statement, whose blanks differ from phase to phase.
#include "platform/db/Connection.h"

#include <cstdint>
#include <string>

namespace quillan::filters {

// The head of every row selection: "Select * from " + prefix + ".dbo.SetupDetails (nolock) where ".
inline std::string setupDetailsRows(const std::string& dbPrefix) {
    return "Select * from " + dbPrefix + ".dbo.SetupDetails (nolock) where ";
}

inline const std::string kReleaseFiles = "HotfixNo =0"; // files of a release; hotfixes are above 0
inline const std::string kPackageKinds = "(FileExtension like 'ZIP' or FileExtension like 'TPL')";
// A package never downloaded may hold NULL bytes: counted as 0, or the difference is NULL and the
// package is neither fetched nor reported missing.
inline const std::string kIncompleteDownload = "(uploadfilesize-ISNULL(downloadfilesize,0))>0";
inline const std::string kCompleteDownload = "(uploadfilesize-ISNULL(downloadfilesize,0))=0";
inline const std::string kProgramNames = "file_names like '%.exe'";
inline const std::string kReportNames = "(file_names like '%.rtm' or file_names like '%.rpt')";
inline const std::string kByVersion = " order by VersionNo";

// The packages of ordinary rows (RegRequired 0), up to the download condition the caller adds:
// "... where HotfixNo =0 and  RegRequired=0 and  (FileExtension like 'ZIP' or ...) and  ".
inline std::string plainPackageRows(const std::string& dbPrefix) {
    return setupDetailsRows(dbPrefix) + kReleaseFiles + " and  RegRequired=0 and  " + kPackageKinds +
           " and  ";
}

// The packages downloaded completely, in release order: read by the second LAN pass of the
// download and by split-file reassembly.
inline std::string completePackages(const std::string& dbPrefix) {
    return plainPackageRows(dbPrefix) + kCompleteDownload + kByVersion;
}

// Every package of the release (templates and pieces too), in release order: read by the sweep of
// the update folder after the download and by the unpacking, which must not write over one.
inline std::string releasePackages(const std::string& dbPrefix) {
    return setupDetailsRows(dbPrefix) + kReleaseFiles + " and  " + kPackageKinds + kByVersion;
}

// Records the bytes of a package present on the workstation: the download after each package, and
// the unpacking with 0 for a package whose bytes are not as published, which the next run fetches
// again. The name was embedded between quotes as it stood; quoting it keeps a name with an
// apostrophe from breaking the statement.
inline std::string downloadSizeUpdate(const std::string& dbPrefix, std::int64_t size,
                                      const std::string& fileName) {
    return "Update " + dbPrefix + ".dbo.SetupDetails set DownloadFileSize=" + std::to_string(size) +
           " Where File_Names=" + db::sqlQuote(fileName);
}

// The release's programs in release order: read by the program-folder correction of the download
// and by the EXE replacement.
inline std::string programRows(const std::string& dbPrefix) {
    return setupDetailsRows(dbPrefix) + kReleaseFiles + " and " + kProgramNames + kByVersion;
}

// The mandatory release is the one of the highest hotfix number present: the download mark and the
// installation mark of MandatoryDeployment both end with this condition.
inline std::string highestHotfixCondition(const std::string& dbPrefix) {
    return " and HFixID = (select MAX(hotfixno) from " + dbPrefix + ".dbo.setupdetails where HotfixNo <> 0)";
}

} // namespace quillan::filters
