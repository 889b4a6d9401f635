#include "console/DownloadStatements.h"

#include "base/SetupDetailsFilters.h"
#include "platform/Text.h"
#include "platform/db/Connection.h"

namespace quillan {

using db::sqlQuote;
using namespace filters;

std::string systemDriveCorrection(const std::string& p, const std::string& systemDrive) {
    return "Update " + p + ".dbo.SetupDetails SET File_Path=" + sqlQuote(trimmed(systemDrive)) +
           "+SUBSTRING(File_Path,CHARINDEX(':',File_Path)+1,LEN(File_Path)) where HotfixNo =0 and "
           "RegRequired=1 and File_Path Like 'C:\\%'";
}

std::string reportRuntimeFolderQuery(const std::string& p) {
    return "SELECT File_Path FROM " + p + ".dbo.Setupdetails (NOLOCK) WHERE [File_Names] like 'craxdrt9%'";
}

std::string reportRuntimeFolderCorrection(const std::string& p, const std::string& systemDrive) {
    const std::string folder = std::string(trimmed(systemDrive)) +
                               "\\Program Files (x86)\\Common Files\\Crystal Decisions\\2.0\\bin";
    return "Update " + p + ".dbo.SetupDetails SET File_Path=" + sqlQuote(folder) +
           " WHERE HotfixNo =0 AND RegRequired=1 AND [File_Names] like 'craxdrt%'";
}

std::string programFoldersQuery(const std::string& p) {
    return programRows(p);
}

std::string incompletePackagesQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles + " and RegRequired=0 and " + kPackageKinds + " and  " +
           kIncompleteDownload + kByVersion;
}

std::string completePackagesQuery(const std::string& p) {
    return completePackages(p);
}

std::string downloadSizeUpdate(const std::string& p, std::int64_t size, const std::string& fileName) {
    return filters::downloadSizeUpdate(p, size, fileName);
}

std::string incompletePackagesCheck(const std::string& p) {
    return plainPackageRows(p) + kIncompleteDownload + " ";
}

// A package published with no size is in neither the incomplete nor (usefully) the complete list.
std::string unsizedPackagesCheck(const std::string& p) {
    return plainPackageRows(p) + "(UploadFileSize <= 0 or UploadFileSize is null) ";
}

std::string splitPackagesQuery(const std::string& p) {
    return plainPackageRows(p) + kCompleteDownload + "  and FileSplitStatus=1 ";
}

std::string releasePackagesQuery(const std::string& p) {
    return releasePackages(p);
}

// The trimmed name was embedded between quotes as it stood; quoted now (the filter reads '' as ').
std::string packageNameFilter(const std::string& fileName) {
    return "File_Names=" + sqlQuote(trimmed(fileName));
}

std::string setupDetailsFunctionQuery(const std::string& p, int which) {
    return "Select " + p + ".dbo.FN_SetupDetails(" + std::to_string(which) + ") AS EXISTS1";
}

std::string mandatoryDownloadMark(const std::string& p) {
    return "Update " + p +
           ".dbo.MandatoryDeployment set FileDownloaded = 1 where FileDownloaded = 0 and MantatoryStatus = "
           "1" +
           highestHotfixCondition(p);
}

} // namespace quillan
