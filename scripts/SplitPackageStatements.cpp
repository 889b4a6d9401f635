#include "scripts/SplitPackageStatements.h"

#include "base/SetupDetailsFilters.h"
#include "platform/db/Connection.h"

namespace quillan {

using db::sqlQuote;
using namespace filters;

std::string downloadedPackagesQuery(const std::string& p) {
    return completePackages(p);
}

std::string templatesQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles + " and  FileExtension like 'TPL' and " + kCompleteDownload +
           " order by Versionno";
}

// The name comes from the template's content and was embedded between quotes as it stood: quoted now.
std::string joinedPackageDelete(const std::string& p, const std::string& joinedName) {
    return "Delete from " + p + ".dbo.SETUPDETAILS where File_Names = " + sqlQuote(joinedName);
}

// The version is a number from the table, written between quotes as the statement has it.
std::string joinedPackageInsert(const std::string& p, const std::string& joinedName, std::int64_t versionNo) {
    return "INSERT INTO " + p +
           ".dbo.SETUPDETAILS(File_Names,File_Path,File_CrDate,Status,RegRequired,HotfixNo,Versionno,"
           "UploadFileSize,FileExtension,FilesplitStatus)" +
           " Values(" + sqlQuote(joinedName) + ",'App.Path',Getdate(),1,2,0," +
           sqlQuote(std::to_string(versionNo)) + ",0,'ZIP',0)";
}

} // namespace quillan
