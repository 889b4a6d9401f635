#include "status/StatusPanel.h"

#include "base/ReturnFolder.h"
#include "platform/FileTimes.h"
#include "status/StatusStatements.h"

#include <exception>
#include <string>

namespace quillan {

namespace {

db::Connection& conn(Console& c) {
    if (!c.conn)
        throw db::DbError("The database connection is not open");
    return *c.conn;
}

// A query that returns no row leaves the label as it was.
void fillPanel(Console& c, bool current, int index, const std::string& sql, const std::string& column) {
    db::Recordset rs = conn(c).query(sql);
    if (rs.eof())
        return;
    c.model.setPanel(current, index, rs.field(column).textOr(""));
}

void fillCounts(Console& c, bool current, int firstIndex) {
    const auto& p = c.state.dbPrefix;
    const bool lastOnly = !current;
    fillPanel(c, current, firstIndex, fileCountQuery(p, CountedFiles::Programs, lastOnly), "ExeCount");
    fillPanel(c, current, firstIndex + 1, fileCountQuery(p, CountedFiles::RptReports, lastOnly), "RtpCount");
    fillPanel(c, current, firstIndex + 2, fileCountQuery(p, CountedFiles::RtmReports, lastOnly), "RtmCount");
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
        db::Recordset rs = conn(c).query(serverDateQuery());
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
        fillPanel(c, true, 1, versionQuery(c.state.dbPrefix, false), "Version");
        fillCounts(c, true, 4);
        fillPanel(c, false, 1, versionQuery(c.state.dbPrefix, true), "Version");
        fillCounts(c, false, 3);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In CurrentDeployStatus");
    }
}

PendingCheck DeployProcessCheck(Console& c) {
    bool exePending = false, hotfixPending = false, unfinishedRun = false;
    c.state.setupDetailsFound = true;
    try {
        if (conn(c).query(recordedRowsQuery(c.state.dbPrefix)).eof()) {
            c.state.setupDetailsFound = false;
            return PendingCheck::NothingRecorded;
        }

        db::Recordset exes = conn(c).query(programTimesQuery(c.state.dbPrefix));
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

        db::Recordset fixes = conn(c).query(hotfixRowsQuery(c.state.dbPrefix));
        for (; !fixes.eof(); fixes.moveNext()) {
            // A number is embedded as digits; a value that is not one fails the check.
            const std::int64_t fixNo = fixes.field("Hotfixno").asInt();
            db::Recordset log = conn(c).query(hotfixLoggedQuery(c.state.dbPrefix, fixNo));
            if (log.eof())
                hotfixPending = true;
        }

        // Programs in place and hotfixes recorded, yet a run may have been cut after its hotfix and
        // before its reports, other files, registration or completion records: its rows are still
        // in progress. Asked last, so the answer of every other case stays as it was.
        if (!exePending && !hotfixPending && !conn(c).query(unfinishedRunQuery(c.state.dbPrefix)).eof())
            unfinishedRun = true;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In DeployProcessStatus");
        return PendingCheck::Failed;
    }
    return exePending || hotfixPending || unfinishedRun ? PendingCheck::Pending : PendingCheck::Applied;
}

bool DeployProcessStatus(Console& c) {
    return DeployProcessCheck(c) == PendingCheck::Pending;
}

} // namespace quillan
