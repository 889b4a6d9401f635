#include "install/Hotfixes.h"

#include "base/ByteProgress.h"
#include "base/Machine.h"
#include "base/Progress.h"
#include "base/StatusLine.h"
#include "install/Finishing.h"
#include "install/HotfixScript.h"
#include "install/HotfixStatements.h"
#include "platform/PlainFileName.h"
#include "platform/db/BatchSplitter.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEvent = "Run Hot Fix ";

struct PendingHotfix {
    std::string fileName;
    double rowNumber = 0;
};

std::vector<PendingHotfix> pendingHotfixes(Console& c) {
    std::vector<PendingHotfix> out;
    for (auto rs = c.conn->query(pendingHotfixesQuery(c.state.dbPrefix)); !rs.eof(); rs.moveNext())
        out.push_back({rs.field("File_Names").textOr(""),
                       rs.field("HotfixNo").isNull() ? 0.0 : rs.field("HotfixNo").asDouble()});
    return out;
}

bool recorded(db::DbAdmin& admin, const std::string& database, double number) {
    for (auto rs = admin.query(database, hotfixLogLookup(number)); !rs.eof(); rs.moveNext()) {
        const auto& v = rs.field(std::size_t{0});
        if (!v.isNull() && v.asDouble() == number)
            return true;
    }
    return false;
}

// The batches one by one, with the script's progress on row 8 (hidden, as the phase keeps it).
void runBatches(Console& c, db::DbAdmin& admin, const std::string& path,
                const std::vector<std::string>& batches) {
    const auto n = batches.size();
    ByteProgress progress(c, Row::Hotfixes, n == 0 ? 1 : n, 0, AmountUnit::Items);
    progress.start();
    c.state.run.hotfixRunStarted = true; // from here on the database may differ from its backup
    for (std::size_t i = 0; i < n; ++i) {
        try {
            admin.executeBatch(c.state.dbName, batches[i]);
        } catch (const db::TimeoutError& e) {
            c.log.line(">>-HotFix File " + path + ": batch " + std::to_string(i + 1) + " of " +
                       std::to_string(n) + " timed out: " + e.what());
            throw;
        } catch (const std::exception& e) {
            c.log.line(">>-HotFix File " + path + ": batch " + std::to_string(i + 1) + " of " +
                       std::to_string(n) + " failed: " + e.what());
            throw;
        }
        progress.report(i + 1);
    }
}

void failHotfix(Console& c, int gridRow, const std::string& name, const std::string& path) {
    c.model.setLabel(Label::lblDownLoad, name);
    c.model.setLabel(Label::lblLocation, path);
    failRow(c, Row::Hotfixes);
    ChecklistRow r = c.model.checklist(Row::Hotfixes);
    r.percentVisible = false;
    c.model.setChecklist(Row::Hotfixes, r);
    LoadToGrid(c, gridRow, kEvent, path, 4, rowPercent(c, Row::Hotfixes));
    RollBack(c);
    showErrorSentence(c, "Error by Running Hotfix Check error log for details");
    ErrorDisplay(c);
    c.state.run.completedPhase = 0;
}

} // namespace

bool RunningHotfix(Console& c, const std::string& path, double rowNumber) {
    try {
        const auto& s = c.state;
        auto admin = c.os.openAdmin(s.connString, c.programFolder());
        admin->connect(s.dbServer, s.dbUser, s.dbPassword);
        admin->setTimeLimit(s.statementTimeLimit);
        const fs::path file = c.native(path);
        std::error_code ec;
        if (!fs::is_regular_file(file, ec)) {
            c.log.line("HotFix File " + path + " is Missing");
            return false;
        }
        const std::string script = readHotfixScript(file);
        const double number = hotfixNumberOf(script);
        if (number == 0) {
            c.log.line("HotFix File " + path + " does not contain hotfix number");
            return false;
        }
        if (!hotfixNumberInRange(number)) {
            c.log.line("HotFix File " + path + " carries hotfix number " + hotfixNumberText(number) +
                       ", beyond the largest a hotfix log records (" +
                       hotfixNumberText(kLargestHotfixNumber) + ")");
            return false;
        }
        if (rowNumber != 0 && rowNumber != number)
            c.log.line(">>-Warning: HotFix File " + path + " carries hotfix number " +
                       hotfixNumberText(number) + ", its release row " + hotfixNumberText(rowNumber) +
                       "; the file's number counts");
        if (recorded(*admin, s.dbName, number)) {
            c.log.line("HotFix File " + path + " already updated in the Database");
            return true;
        }
        runBatches(c, *admin, path, db::splitBatches(script));
        if (!recorded(*admin, s.dbName, number))
            c.log.line(">>-Warning: HotFix File " + path + " ran but did not record hotfix " +
                       hotfixNumberText(number) + " in HotFixLog; the next run offers it again");
        admin->disconnect();
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Running Hotfix ");
    }
    return false;
}

bool HotfixPhase(Console& c) {
    auto& s = c.state;
    const auto pending = pendingHotfixes(c);
    if (!pending.empty()) {
        const int gridRow = nextGridRow(c);
        c.model.setLabel(Label::lblDl, "Update Hotfix:");
        setRowStatus(c, Row::Hotfixes, RowStatus::InProgress);
        LoadToGrid(c, gridRow, kEvent, "", 2, rowPercent(c, Row::Hotfixes));
        c.model.followInGrid(gridRow, Row::Hotfixes);
        c.model.setGridLink(gridRow, "Show Hotfix");
        c.log.line(">>-Started Running Hotfix ");
        for (const auto& h : s.isLocalServer ? pending : std::vector<PendingHotfix>{}) {
            const std::string path = s.updateFolder + "\\" + h.fileName;
            c.model.setLabel(Label::lblDownLoad, h.fileName);
            c.model.setLabel(Label::lblLocation, path);
            c.log.line("Running Hotfix " + h.fileName);
            if (!isPlainFileName(h.fileName)) {
                c.log.line("HotFix File " + path + " is not a plain file name");
                failHotfix(c, gridRow, h.fileName, path);
                return false;
            }
            if (!RunningHotfix(c, path, h.rowNumber)) {
                failHotfix(c, gridRow, h.fileName, path);
                return false;
            }
        }
        setRowStatus(c, Row::Hotfixes, RowStatus::Completed);
        LoadToGrid(c, gridRow, kEvent, "", 3, rowPercent(c, Row::Hotfixes));
        c.log.line(">>-Running Hotfix completed");
        ErrorDisplay(c);
        completeRow(c, Row::Hotfixes);
    }
    s.run.completedPhase = 9;
    advanceOverall(c);
    return true;
}

} // namespace quillan
