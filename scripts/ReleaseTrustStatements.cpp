#include "scripts/ReleaseTrustStatements.h"

#include "platform/db/Connection.h"

namespace quillan {

std::string appliedReleaseTable(const std::string& p) {
    return " IF NOT EXISTS (SELECT *  FROM " + p +
           ".dbo.sysobjects WHERE name  ='AppliedRelease' AND xtype = 'U')  BEGIN   CREATE TABLE " + p +
           ".dbo.AppliedRelease  ( VersionNo INT, AppliedOn DATETIME )  END ";
}

std::string appliedReleaseTableLookup(const std::string& p) {
    return "SELECT name FROM " + p + ".dbo.sysobjects WHERE name  ='AppliedRelease' AND xtype = 'U'";
}

std::string newestAppliedReleaseQuery(const std::string& p) {
    return "SELECT MAX(VersionNo) AS VersionNo FROM " + p + ".dbo.AppliedRelease";
}

std::string appliedReleaseRecord(const std::string& p, int version) {
    return "INSERT INTO " + p + ".dbo.AppliedRelease (VersionNo, AppliedOn) VALUES (" +
           std::to_string(version) + ", GETDATE())";
}

std::string fetchedScriptForget(const std::string& p, const std::string& sourceFileName) {
    return "DELETE FROM " + p +
           ".dbo.IMPORT_DEPLOY_FILENAMES WHERE SourceFileName = " + db::sqlQuote(sourceFileName);
}

} // namespace quillan
