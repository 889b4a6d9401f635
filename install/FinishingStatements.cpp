#include "install/FinishingStatements.h"

#include "base/SetupDetailsFilters.h"
#include "platform/db/Connection.h"

namespace quillan {

std::string backupExtensionsQuery(const std::string& p) {
    return " SELECT DISTINCT Extension FROM " + p +
           ".dbo.FileExtension(NOLOCK) WHERE Type = 1 AND Extension NOT IN ('BAK','ZIP') ";
}

std::string finishReleaseRowsStatement(const std::string& p) {
    return "Update " + p + ".dbo.SetupDetails set status =3 where status=1";
}

std::string undoneReleaseRowsStatement(const std::string& p) {
    return "Update " + p + ".dbo.SetupDetails set status =2 where status=1";
}

std::string highestHotfixScriptQuery(const std::string& p) {
    return "SELECT ISNULL(MAX(HotfixNo),0)HotfixNo FROM  " + p +
           ".dbo.SETUPDETAILS(NOLOCK) WHERE FileExtension = "
           "'sql'";
}

std::string prunedExtensionsQuery(const std::string& p) {
    return "SELECT Extension FROM " + p + ".dbo.FileExtension (NOLOCK) WHERE Type = 2 ";
}

std::string mandatoryInstallMark(const std::string& p) {
    return "Update " + p +
           ".dbo.MandatoryDeployment set DeploymentSatus = 1 where DeploymentSatus = 0 and MantatoryStatus = "
           "1 "
           "and FileDownloaded = 1" +
           filters::highestHotfixCondition(p);
}

// The computer's name was embedded between quotes as it stood: quoted now.
std::string versionRowBatch(const std::string& p, const std::string& computerName) {
    return " IF EXISTS (SELECT *  FROM " + p +
           ".dbo.sysobjects WHERE name  ='DeploymentVesrion' AND xtype = "
           "'U') " +
           " BEGIN  " + " DELETE FROM " + p + ".dbo.DeploymentVesrion " + " INSERT INTO " + p +
           ".dbo.DeploymentVesrion(ProcessexeName,VersionId,HostName)" + " Select 'Quillan.exe','" +
           "QL.0.0.1" + "'," + db::sqlQuote(computerName) + " END ";
}

} // namespace quillan
