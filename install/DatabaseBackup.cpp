#include "install/DatabaseBackup.h"

#include "base/ByteProgress.h"
#include "base/Machine.h"
#include "base/Progress.h"
#include "base/StatusLine.h"
#include "install/BackupArchive.h"
#include "install/BackupFileName.h"
#include "install/CutRunCopies.h"
#include "install/DatabaseBackupStatements.h"
#include "install/Finishing.h"
#include "install/RemovingFiles.h"
#include "platform/FileTimes.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"
#include "platform/Wildcard.h"

#include <filesystem>
#include <functional>
#include <set>
#include <stdexcept>
#include <system_error>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEvent = "Database Backup ";
constexpr const char* kOldDriveFolder = "C:\\UploadBackUp"; // backups left by an earlier drive setting

bool endsWithBak(const std::string& name) {
    return name.size() >= 4 && equalsNoCase(std::string_view(name).substr(name.size() - 4), ".bak");
}

// A blank code's own archive name, exactly: code + "_" + the 14 digits of the stamp + ".zip", or
// with `temporary` the archive library's temporary of one (".zip." and a suffix). The listing
// "<code>*.zip" would be every archive of the folder for such a code.
bool blankCodeArchive(std::string_view name, const std::string& code, bool temporary) {
    const std::size_t head = code.size() + 1, stampEnd = head + 14;
    if (name.size() < stampEnd + 4 || name.substr(0, code.size()) != code || name[code.size()] != '_')
        return false;
    for (std::size_t i = head; i < stampEnd; ++i)
        if (name[i] < '0' || name[i] > '9')
            return false;
    const std::string_view tail = name.substr(stampEnd);
    return temporary ? tail.size() > 5 && equalsNoCase(tail.substr(0, 5), ".zip.")
                     : equalsNoCase(tail, ".zip");
}

// The code's own backup archives (or their temporaries, "<archive>.zip.XXXXXX").
bool ownArchive(const std::string& name, const std::string& code, bool temporary = false) {
    if (trimmed(code).empty())
        return blankCodeArchive(name, code, temporary);
    return wildcardMatch(code + (temporary ? "*.zip.*" : "*.zip"), name);
}

// The plain files of the folder matching the three listings, in their order, each name once.
std::vector<std::string> backupCandidates(Console& c, const fs::path& folder, const std::string& code) {
    const std::vector<std::function<bool(const std::string&)>> listings{
        [](const std::string& name) { return wildcardMatch("*.bak", name); },
        [](const std::string& name) { return wildcardMatch("Backup*.zip", name); },
        [&code](const std::string& name) { return ownArchive(name, code); }};
    std::vector<std::string> out;
    std::set<std::string> seen;
    const auto files = c.os.listPlainFiles(folder);
    for (const auto& listed : listings)
        for (const auto& f : files) {
            const std::string name = f.filename().string();
            if (listed(name) && seen.insert(name).second)
                out.push_back(name);
        }
    return out;
}

// Compresses a surviving .bak (the archive is tested first) and deletes it.
void compressLeftover(Console& c, const fs::path& bak) {
    zipBackup(bak);
    c.os.forceDelete(bak);
}

// A run killed while it zipped a backup leaves the archive library's temporary, the archive's
// name and a random suffix ("<archive>.zip.XXXXXX"), which no listing above matches and which
// holds a whole database's worth of bytes: removed, for this system's backups only.
void removeArchiveTemporaries(Console& c, const fs::path& dir, const std::string& code) {
    for (const auto& f : c.os.listPlainFiles(dir)) {
        const std::string name = f.filename().string();
        if (wildcardMatch("Backup*.zip.*", name) || ownArchive(name, code, true))
            c.os.forceDelete(f);
    }
}

void pruneFolder(Console& c, const std::string& folder) {
    const std::string& code = c.state.distributorCode;
    const std::string& p = c.state.dbPrefix;
    if (!isUsableDistributorCode(code)) {
        c.log.line(">>-The distributor code '" + code + "' names no backups: " + folder + " is not pruned");
        return;
    }
    const fs::path dir = c.native(folder);
    std::error_code ec;
    if (!fs::is_directory(dir, ec))
        return; // nothing kept there yet
    c.conn->execute(clearBackupListStatement(p));
    for (const auto& name : backupCandidates(c, dir, code)) {
        DateTime lastWrite;
        if (GetFileDate(dir / name, lastWrite) != 0)
            throw std::runtime_error("The time of " + (dir / name).string() + " cannot be read");
        c.conn->execute(backupListInsert(p, name, lastWrite));
    }
    c.conn->execute(keepNewestBackupsStatement(p));
    for (auto rs = c.conn->query(backupListQuery(p)); !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field(std::size_t{0}).textOr("");
        if (isPlainFileName(name) && fs::is_regular_file(dir / name, ec))
            c.os.forceDelete(dir / name);
    }
    for (const auto& f : c.os.listPlainFiles(dir))
        if (endsWithBak(f.filename().string()))
            compressLeftover(c, f);
    removeArchiveTemporaries(c, dir, code);
}

void prune(Console& c, const std::string& folder, const std::vector<std::string>& spare = {}) {
    RemovingFiles(c, folder, spare);
    ClearBackUpFromFolder(c, folder);
}

bool backupDriveIsC(const Console& c) {
    return upperCase(trimmed(c.state.backupDrive)) == "C";
}

bool machineHasDriveC(const Console& c) {
    for (const auto& d : c.state.driveList)
        if (upperCase(trimmed(d.letter)) == "C")
            return true;
    return false;
}

void hideRow(Console& c) {
    ChecklistRow r = c.model.checklist(Row::DatabaseBackup);
    r.barVisible = false;
    r.barValue = 0;
    r.percentVisible = false;
    c.model.setChecklist(Row::DatabaseBackup, r);
}

} // namespace

bool ClearBackUpFromFolder(Console& c, const std::string& folder) {
    try {
        pruneFolder(c, folder);
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " - ClearBackUpFromFolder");
    }
    return false;
}

bool BackupDb(Console& c) {
    try {
        auto& s = c.state;
        if (!isUsableDistributorCode(s.distributorCode))
            throw std::runtime_error("The distributor code '" + s.distributorCode +
                                     "' cannot be part of a backup file name");
        // The old copies of a run cut after it replaced files are the only ones left: kept.
        prune(c, s.backupFolder, oldCopiesOfACutRun(c));
        if (!backupDriveIsC(c) && machineHasDriveC(c))
            prune(c, kOldDriveFolder);
        auto admin = c.os.openAdmin(s.connString, c.programFolder());
        admin->connect(s.dbServer, s.dbUser, s.dbPassword);
        admin->setTimeLimit(s.statementTimeLimit); // the backup itself is not bounded
        s.backupFileName = backupFileNameFor(s.distributorCode, DateTime::now());
        const fs::path folder = c.native(s.backupFolder);
        fs::create_directories(folder);
        const fs::path bak = folder / s.backupFileName;
        ByteProgress progress(c, Row::DatabaseBackup, 100, 100, AmountUnit::Percent);
        progress.start();
        admin->backup(s.dbName, bak, [&progress](int percent) {
            progress.report(static_cast<std::uint64_t>(percent < 0 ? 0 : percent));
        });
        s.run.databaseBackedUp = true;
        zipBackup(bak); // tested before the .bak goes
        c.os.forceDelete(bak);
        admin->disconnect();
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Backup DB");
    }
    return false;
}

bool DatabaseBackupPhase(Console& c) {
    auto& s = c.state;
    if (s.isLocalServer) {
        c.model.setLabel(Label::lblDl, "Database Backup:");
        c.model.setLabel(Label::lblDownLoad, s.dbPrefix);
        c.model.setLabel(Label::lblLocation, s.backupFolder);
        c.model.setLabel(Label::lblPrs, "Database Backup In Progress");
        setRowStatus(c, Row::DatabaseBackup, RowStatus::InProgress);
        const int gridRow = nextGridRow(c);
        const std::string detail = "Database Name:" + s.dbPrefix;
        LoadToGrid(c, gridRow, kEvent, detail, 2, rowPercent(c, Row::DatabaseBackup));
        c.model.followInGrid(gridRow, Row::DatabaseBackup);
        c.model.processEvents();
        c.log.line(">>-Started Database Backup");
        if (!BackupDb(c)) {
            failRow(c, Row::DatabaseBackup);
            LoadToGrid(c, gridRow, kEvent, detail, 4, rowPercent(c, Row::DatabaseBackup));
            RollBack(c);
            showErrorSentence(c, "Error while Taking backup check the log file");
            ErrorDisplay(c);
            s.run.completedPhase = 0;
            c.endProgram(Ending::Failure);
            return false;
        }
        setRowValue(c, Row::DatabaseBackup, c.model.checklist(Row::DatabaseBackup).barMax);
        LoadToGrid(c, gridRow, kEvent, detail, 3, rowPercent(c, Row::DatabaseBackup));
        setRowStatus(c, Row::DatabaseBackup, RowStatus::Completed);
        c.log.line(">>-Database Backup completed");
        ErrorDisplay(c);
    }
    hideRow(c);
    advanceOverall(c);
    c.model.setLabel(Label::lblPrs, "In Progress");
    s.run.completedPhase = 6;
    return true;
}

} // namespace quillan
