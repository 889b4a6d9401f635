#include "install/FileReplacementStatements.h"

#include "base/SetupDetailsFilters.h"

namespace quillan {

using namespace filters;

std::string supportingFilesQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles +
           " and FileExtension not like 'ZIP'  and FileExtension not like "
           "'TPL'" +
           kByVersion;
}

std::string runningProgramsQuery(const std::string& p) {
    return "SELECT DISTINCT File_Names FROM " + p +
           ".dbo.SetupDetails (NOLOCK) WHERE HotfixNo =0 AND file_names "
           "LIKE '%.exe'";
}

std::string closeProgramsSwitchQuery(const std::string& p) {
    return "select Status From " + p + ".dbo.PexaConfiguration Where moduleID = 'AutoConfig2' and seqno=2";
}

std::string otherWorkstationsQuery(const std::string& p) {
    return "Select * from " + p + ".dbo.FN_Hostnames()";
}

std::string exeReplacementQuery(const std::string& p) {
    return programRows(p);
}

std::string reportReplacementQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles + " and " + kReportNames + kByVersion;
}

std::string otherFilesReplacementQuery(const std::string& p) {
    return setupDetailsRows(p) + kReleaseFiles +
           " and file_names not like '%.exe' and file_names not like '%.rpt' and file_names not like '%.rtm' "
           "and "
           "FileExtension not like 'ZIP' and FileExtension not like 'TPL'  and RegRequired=0" +
           kByVersion;
}

} // namespace quillan
