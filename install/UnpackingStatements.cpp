#include "install/UnpackingStatements.h"

#include "base/SetupDetailsFilters.h"
#include "platform/db/Connection.h"
#include "platform/db/SqlDateTime.h"

namespace quillan {

using namespace filters;

std::string joinedPackagesQuery(const std::string& p) {
    // The rebuilt archives and the release's packages that were not split (a release may mix
    // both; the pieces themselves are no archives), in release order, so that a member of a newer
    // archive replaces an older one's.
    return setupDetailsRows(p) + kReleaseFiles +
           " and  (RegRequired=2 or (RegRequired=0 and ISNULL(FileSplitStatus,0)=0)) and FileExtension like "
           "'ZIP' " +
           kByVersion;
}

std::string unpackPackagesQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles + " and  RegRequired=0 and FileExtension like 'ZIP'" +
           kByVersion;
}

std::string plainFilesQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles +
           " and FileExtension not like 'ZIP' and FileExtension not like "
           "'TPL'" +
           kByVersion;
}

// The time goes in the form every login language reads alike, and the name was embedded between
// quotes as it stood: quoted now, so a name with an apostrophe cannot break the statement.
std::string unzipTimeUpdate(const std::string& p, const DateTime& lastWrite, const std::string& fileName) {
    return "Update " + p + ".dbo.SetupDetails set File_UnZipDate =" + db::sqlDateTime(lastWrite) +
           " where file_names=" + db::sqlQuote(fileName);
}

std::string datingBegin() {
    return "BEGIN TRAN";
}

std::string datingCommit() {
    return "COMMIT TRAN";
}

} // namespace quillan
