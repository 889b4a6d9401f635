#include "install/FileBackup.h"

#include "base/Machine.h"
#include "base/PhaseFrame.h"
#include "base/Progress.h"
#include "install/CutRunCopies.h"
#include "install/FileReplacementStatements.h"
#include "install/Finishing.h"
#include "install/ReleaseFile.h"
#include "install/Unpacking.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEvent = "Backup Supporting files ";

// Copies every listed file that is installed; false after the first copy that fails.
bool backUpAll(Console& c, db::Recordset& rs, const PhaseRow& row, const fs::path& backup,
               const std::vector<std::string>& keep) {
    for (; !rs.eof(); rs.moveNext()) {
        const auto f = releaseFile(c, rs);
        if (!f)
            continue;
        phaseItem(c, row, f->name, c.state.appPath);
        if (!fileExists(c, f->installedText())) {
            c.log.line(">>-File Not Found " + f->name);
            continue;
        }
        if (std::any_of(keep.begin(), keep.end(), [&](const std::string& k) { return k == f->name; })) {
            // Installed already by a cut run: the copy that run saved is the old file.
            c.log.line(">>-Keeping the copy a cut run saved of " + f->name);
            continue;
        }
        c.log.line(">>-Backing Up " + f->name);
        try {
            // The safe replace: an older copy of the same name (a read-only one too) is replaced
            // whole, and the copy keeps the installed file's time.
            c.os.replaceFile(c.native(f->installedText()), backup / f->name);
        } catch (const std::exception& e) {
            c.log.line(std::string(e.what()) + " in Backup Supporting Files");
            return false;
        }
    }
    return true;
}

} // namespace

bool BackupSupportingFiles(Console& c) {
    auto rs = c.conn->query(supportingFilesQuery(c.state.dbPrefix));
    // From here on the undo may rely on the backup folder: what the release replaces is there,
    // or was not installed before the run.
    c.state.run.filesBackedUp = true;
    if (rs.eof())
        return true;
    const PhaseRow row{Row::FileBackup, nextGridRow(c), kEvent, ""};
    phaseStart(c, row, ">>-Started Backing Other Files ",
               "Backup Files:", static_cast<int>(rs.recordCount()));
    c.log.line(">>-Started Backing Other Files ");
    const fs::path backup = c.native(c.state.backupFolder);
    std::error_code ec;
    fs::create_directories(backup, ec);
    if (!backUpAll(c, rs, row, backup, oldCopiesOfACutRun(c))) {
        c.state.run.filesBackedUp = false; // an old file may be missing from the folder
        phaseFailure(c, row, "Error while backing up the files. Check Log for details");
        ErrorDisplay(c);
        RollBack(c);
        return false;
    }
    ResetFileAttributes(c, c.state.backupFolder);
    c.log.line(">>-Backing Other Files completed");
    phaseSuccess(c, row, ">>-Backing Other Files completed");
    return true;
}

} // namespace quillan
