#include "install/Unpacking.h"

#include "archive/Unzip.h"
#include "base/Machine.h"
#include "base/Progress.h"
#include "install/Finishing.h"
#include "install/PackageCheck.h"
#include "install/UnpackingStatements.h"
#include "platform/FileTimes.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"

#include <filesystem>
#include <optional>
#include <system_error>

namespace quillan {
namespace fs = std::filesystem;

namespace {

constexpr const char* kEvent = "Copying files for updates ";

bool exists(Console& c, const std::string& windowsPath) {
    std::error_code ec;
    return fs::is_regular_file(c.native(windowsPath), ec);
}

// Every failure of the phase ends the same way: the run is closed once, and the loop stops.
void failAndClose(Console& c, int gridRow, const std::string& detail, const std::string& logLine) {
    failRow(c, Row::Unpacking);
    if (gridRow > 0)
        LoadToGrid(c, gridRow, kEvent, detail, 4, rowPercent(c, Row::Unpacking));
    c.log.line(logLine);
    RollBack(c);
}

// Unpacks every package in query order; false after a failure (the run is closed then).
bool unpackAll(Console& c, db::Recordset& rs, int gridRow) {
    const std::string& folder = c.state.updateFolder;
    const auto packages = releasePackageNames(c);
    for (; !rs.eof(); rs.moveNext()) {
        stepRow(c, Row::Unpacking);
        const std::string name = rs.field("file_names").textOr("");
        const std::string path = folder + "\\" + name;
        if (!isPlainFileName(name)) {
            failAndClose(c, gridRow, name, ">>-" + name + " is not a plain file name: not unpacked");
            return false;
        }
        if (!exists(c, path)) {
            failAndClose(c, gridRow, path, ">>-" + name + " Not Available in the local folder ");
            return false;
        }
        const std::string refusal =
            packageRefusal(c, name, rs.field("UploadFileSize").intOrNull().value_or(0), packages);
        if (!refusal.empty()) {
            failAndClose(c, gridRow, path, ">>-" + refusal);
            return false;
        }
        c.model.setLabel(Label::lblDl, "Extracting        :");
        c.model.setLabel(Label::lblDownLoad, name);
        c.model.setLabel(Label::lblLocation, folder);
        if (!UnzipFiles(c, path)) {
            failAndClose(c, gridRow, path, ">>-Unable to Unzip " + name);
            return false;
        }
        c.log.line(">>-Unzipped " + name);
        c.model.processEvents();
    }
    return true;
}

// Dates every plain file of the release found in the update folder; the name of the file whose
// date could not be recorded, or nothing.
std::optional<std::string> dateEach(Console& c, db::Recordset& rs) {
    const std::string& folder = c.state.updateFolder;
    for (; !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("file_names").textOr("");
        if (!isPlainFileName(name) || !exists(c, folder + "\\" + name))
            continue; // listed but not here (or not a name of this folder): not a failure
        c.model.setLabel(Label::lblDl, "Date Updation for  :");
        c.model.setLabel(Label::lblDownLoad, name);
        c.model.setLabel(Label::lblLocation, folder);
        if (!UpdateUnZipTime(c, folder, name))
            return name;
    }
    return std::nullopt;
}

// Dates every plain file of the release in one transaction; false after a failure. The dates
// recorded before a failure are committed all the same, as each was when it had its own commit.
bool dateAll(Console& c) {
    auto rs = c.conn->query(plainFilesQuery(c.state.dbPrefix));
    c.conn->execute(datingBegin());
    std::optional<std::string> failed;
    try {
        failed = dateEach(c, rs);
    } catch (...) {
        try {
            c.conn->execute(datingCommit());
        } catch (...) {
            // the first failure is the one to report
        }
        throw;
    }
    try {
        c.conn->execute(datingCommit());
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " - UpdateUnZipTime");
        if (!failed)
            failed = "The release's files";
    }
    if (failed) {
        failRow(c, Row::Unpacking);
        c.log.line(*failed + " Unable to update the modified Date ");
        RollBack(c);
        ErrorDisplay(c);
        return false;
    }
    return true;
}

} // namespace

bool UnzipFiles(Console& c, const std::string& packagePath) {
    try {
        cUnzip u;
        u.ZipFile(c.native(packagePath));
        u.OverwriteExisting(true);
        u.UnzipFolder(c.native(c.state.updateFolder));
        u.UseFolderNames(false);
        u.Unzip();
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Unzip Files");
    }
    return false;
}

bool UpdateUnZipTime(Console& c, const std::string& folder, const std::string& fileName) {
    try {
        DateTime lastWrite;
        if (GetFileDate(c.native(folder + "\\" + fileName), lastWrite) != 0) {
            c.log.line(">>-The modified date of " + fileName +
                       " cannot be read; File_UnZipDate is not updated");
            return true;
        }
        c.conn->execute(unzipTimeUpdate(c.state.dbPrefix, lastWrite, fileName));
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " - UpdateUnZipTime");
    }
    return false;
}

void ResetFileAttributes(Console& c, const std::string& folder) {
    std::vector<fs::path> files;
    try {
        files = c.os.listPlainFiles(c.native(folder));
    } catch (const std::exception&) {
        return; // nothing to reset in a folder that cannot be read
    }
    for (const auto& f : files) {
        if (trimmed(f.filename().string()).empty())
            continue;
        try {
            c.os.clearFileAttributes(f);
        } catch (const std::exception&) {
            // one file that cannot be changed does not stop the others
        }
    }
}

bool Unpacking(Console& c) {
    setOverall(c, 40);
    auto& run = c.state.run;
    const std::string& folder = c.state.updateFolder;
    auto rs = c.conn->query(run.splitPackagesJoined ? joinedPackagesQuery(c.state.dbPrefix)
                                                    : unpackPackagesQuery(c.state.dbPrefix));
    bool ok = true;
    if (!rs.eof()) {
        startRow(c, Row::Unpacking, static_cast<int>(rs.recordCount()));
        c.model.setChecklist(Row::Unpacking, [&] {
            ChecklistRow r = c.model.checklist(Row::Unpacking);
            r.percentText.clear();
            return r;
        }());
        const int gridRow = nextGridRow(c);
        LoadToGrid(c, gridRow, kEvent, folder + "\\", 2, rowPercent(c, Row::Unpacking));
        c.model.followInGrid(gridRow, Row::Unpacking);
        c.model.processEvents();
        c.log.line(">>-Started Unziping Files ");
        ok = unpackAll(c, rs, gridRow);
        ResetFileAttributes(c, folder);
        ok = ok && dateAll(c);
        if (ok) {
            ChecklistRow r = c.model.checklist(Row::Unpacking);
            setRowValue(c, Row::Unpacking, r.barMax);
            completeRow(c, Row::Unpacking);
            LoadToGrid(c, gridRow, kEvent, folder, 3, rowPercent(c, Row::Unpacking));
            ErrorDisplay(c);
        }
    }
    if (!ok) {
        ErrorDisplay(c);
        c.op.inform("Error by unzipping file check the log file");
        run.completedPhase = 0;
        c.endProgram(Ending::Failure);
        return false;
    }
    run.completedPhase = 5;
    advanceOverall(c);
    ChecklistRow backup = c.model.checklist(Row::DatabaseBackup);
    backup.barVisible = false;
    backup.barValue = 0;
    backup.percentVisible = false;
    c.model.setChecklist(Row::DatabaseBackup, backup);
    return true;
}

} // namespace quillan
