#include "status/StatusStatements.h"

#include "base/SetupDetailsFilters.h"

namespace quillan {

namespace {

std::string setupDetails(const std::string& p) {
    return p + ".dbo.SetupDetails";
}

// The newest version's rows, or (lastOnly) those of the highest version below it.
std::string versionFilter(const std::string& p, bool lastOnly) {
    const std::string newest = "(Select Max(VersionNo) from   " + setupDetails(p);
    if (!lastOnly)
        return newest + ")";
    return newest + " where VersionNo Not in " + newest + "))";
}

} // namespace

std::string serverDateQuery() {
    return "Select convert(varchar(20),getDate(),111) as cdt";
}

std::string versionQuery(const std::string& p, bool lastOnly) {
    const std::string newest = "Select ISNULL(Max(VersionNo),0) as Version from   " + setupDetails(p);
    return lastOnly ? newest + " where VersionNo Not in " + versionFilter(p, false) : newest;
}

std::string fileCountQuery(const std::string& p, CountedFiles kind, bool lastOnly) {
    // The column and the name condition of each kind; the report conditions end with two blanks.
    std::string alias = "ExeCount", condition = "File_Names like '%.Exe' ";
    if (kind == CountedFiles::RptReports) {
        alias = "RtpCount";
        condition = "File_Names like '%.Rpt'  ";
    } else if (kind == CountedFiles::RtmReports) {
        alias = "RtmCount";
        condition = "File_Names like '%.Rtm'  ";
    }
    return "select Count(File_Names) as " + alias + " from " + setupDetails(p) + " where " + condition +
           "and VersionNo in" + versionFilter(p, lastOnly);
}

std::string recordedRowsQuery(const std::string& p) {
    return "select * from " + setupDetails(p);
}

std::string programTimesQuery(const std::string& p) {
    return std::string("Select File_Path,File_Names,File_CrDate,") +
           " isnull(File_UnZipDate,File_CrDate) as File_UnZipDate " + " from " + setupDetails(p) +
           " (nolock) where " + filters::kReleaseFiles + " and FileExtension like 'EXE'" +
           filters::kByVersion;
}

std::string hotfixRowsQuery(const std::string& p) {
    return filters::setupDetailsRows(p) + "HotfixNo >0" + filters::kByVersion;
}

std::string hotfixLoggedQuery(const std::string& p, std::int64_t fixNo) {
    return "select * from " + p + ".dbo.hotfixlog (nolock) where Fixid=" + std::to_string(fixNo);
}

std::string unfinishedRunQuery(const std::string& p) {
    // The condition of the closing updates, the same text.
    return filters::setupDetailsRows(p) + "status=1";
}

} // namespace quillan
