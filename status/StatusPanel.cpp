#include "status/StatusPanel.h"

#include "base/ReturnFolder.h"
#include "platform/FileTimes.h"

#include <exception>
#include <string>

namespace quillan {

namespace {

const std::string kCdt = "Select convert(varchar(20),getDate(),111) as cdt";

db::Connection& conn(Console& c) {
    if (!c.conn)
        throw db::DbError("The database connection is not open");
    return *c.conn;
}

std::string setupDetails(const Console& c) {
    return c.state.dbPrefix + ".dbo.SetupDetails";
}

// The newest version's rows, or (lastOnly) those of the highest version below it.
std::string versionFilter(const Console& c, bool lastOnly) {
    const std::string newest = "(Select Max(VersionNo) from   " + setupDetails(c);
    if (!lastOnly)
        return newest + ")";
    return newest + " where VersionNo Not in " + newest + "))";
}

std::string countStatement(const Console& c, const std::string& alias, const std::string& condition,
                           bool lastOnly) {
    return "select Count(File_Names) as " + alias + " from " + setupDetails(c) + " where " + condition +
           "VersionNo in" + versionFilter(c, lastOnly);
}

// A query that returns no row leaves the label as it was.
void fillPanel(Console& c, bool current, int index, const std::string& sql, const std::string& column) {
    db::Recordset rs = conn(c).query(sql);
    if (rs.eof())
        return;
    c.model.setPanel(current, index, rs.field(column).textOr(""));
}

void fillCounts(Console& c, bool current, int firstIndex) {
    const bool lastOnly = !current;
    fillPanel(c, current, firstIndex, countStatement(c, "ExeCount", "File_Names like '%.Exe' and ", lastOnly),
              "ExeCount");
    fillPanel(c, current, firstIndex + 1,
              countStatement(c, "RtpCount", "File_Names like '%.Rpt'  and ", lastOnly), "RtpCount");
    fillPanel(c, current, firstIndex + 2,
              countStatement(c, "RtmCount", "File_Names like '%.Rtm'  and ", lastOnly), "RtmCount");
}

DateTime today() {
    DateTime d = DateTime::now();
    d.hour = d.minute = d.second = 0;
    return d;
}

std::string dateText(const DateTime& d) {
    return d.display().substr(0, 10); // "DD/MM/YYYY"
}

} // namespace

DateTime GetServerDate(Console& c) {
    try {
        db::Recordset rs = conn(c).query(kCdt);
        const DateTime d = rs.eof() ? today() : rs.field("cdt").asDate();
        c.state.serverDate = d;
        return d;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "in GetServerDate");
        return c.state.serverDate;
    }
}

void CurrentDeployStatus(Console& c) {
    try {
        c.model.setPanel(true, 0, dateText(c.state.serverDate));
        fillPanel(c, true, 1, "Select ISNULL(Max(VersionNo),0) as Version from   " + setupDetails(c),
                  "Version");
        fillCounts(c, true, 4);
        fillPanel(c, false, 1,
                  "Select ISNULL(Max(VersionNo),0) as Version from   " + setupDetails(c) +
                      " where VersionNo Not in " + versionFilter(c, false),
                  "Version");
        fillCounts(c, false, 3);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CurrentDeployStatus");
    }
}

PendingCheck DeployProcessCheck(Console& c) {
    bool exePending = false, hotfixPending = false;
    c.state.setupDetailsFound = true;
    try {
        if (conn(c).query("select * from " + setupDetails(c)).eof()) {
            c.state.setupDetailsFound = false;
            return PendingCheck::NothingRecorded;
        }

        db::Recordset exes =
            conn(c).query("Select File_Path,File_Names,File_CrDate,"
                          " isnull(File_UnZipDate,File_CrDate) as File_UnZipDate "
                          " from " +
                          setupDetails(c) +
                          " (nolock) where HotfixNo =0 and FileExtension like 'EXE' order by "
                          "VersionNo");
        for (; !exes.eof(); exes.moveNext()) {
            const std::string file = ReturnFolder(c, exes.field("File_Path").textOr("")) + "\\" +
                                     exes.field("File_Names").textOr("");
            std::string compareError;
            const bool sameTime = CompareFileDate(c.native(file), exes.field("File_CrDate").asText(),
                                                  exes.field("File_UnZipDate").asText(), compareError);
            if (!compareError.empty())
                c.op.inform(compareError);
            if (!sameTime)
                exePending = true;
        }

        db::Recordset fixes = conn(c).query("Select * from " + setupDetails(c) +
                                            " (nolock) where HotfixNo >0 order by VersionNo");
        for (; !fixes.eof(); fixes.moveNext()) {
            // A number is embedded as digits; a value that is not one fails the check.
            const std::int64_t fixNo = fixes.field("Hotfixno").asInt();
            db::Recordset log = conn(c).query("select * from " + c.state.dbPrefix +
                                              ".dbo.hotfixlog (nolock) where Fixid=" + std::to_string(fixNo));
            if (log.eof())
                hotfixPending = true;
        }
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In DeployProcessStatus");
        return PendingCheck::Failed;
    }
    return exePending || hotfixPending ? PendingCheck::Pending : PendingCheck::Applied;
}

bool DeployProcessStatus(Console& c) {
    return DeployProcessCheck(c) == PendingCheck::Pending;
}

} // namespace quillan
