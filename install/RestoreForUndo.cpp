#include "install/RestoreForUndo.h"

#include "archive/Unzip.h"
#include "base/Machine.h"
#include "base/Progress.h"

#include <exception>
#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr int kSessionPasses = 5; // processes that reconnect while earlier ones are ended

// The .bak to restore from; unpacked from its archive when the backup left only the archive.
// `unpacked` tells the caller to delete it again afterwards.
fs::path backupFile(Console& c, bool& unpacked) {
    const std::string& name = c.state.backupFileName;
    if (name.empty() || fs::path(name).filename().string() != name)
        throw std::runtime_error("No database backup of this run to restore from");
    const fs::path folder = c.native(c.state.backupFolder);
    const fs::path bak = folder / name;
    std::error_code ec;
    if (fs::is_regular_file(bak, ec))
        return bak;
    const fs::path zip = folder / (fs::path(name).stem().string() + ".zip");
    if (!fs::is_regular_file(zip, ec))
        throw std::runtime_error("The database backup " + bak.string() + " and its archive are missing");
    cUnzip unzip;
    unzip.ZipFile(zip);
    unzip.UnzipFolder(folder);
    unzip.UseFolderNames(false);
    unzip.OverwriteExisting(true);
    unzip.Unzip();
    if (!fs::is_regular_file(bak, ec))
        throw std::runtime_error("The archive " + zip.string() + " does not hold " + name);
    unpacked = true;
    return bak;
}

} // namespace

bool restoreDatabaseForUndo(Console& c) {
    bool unpacked = false;
    fs::path bak;
    try {
        ChecklistRow r = c.model.checklist(Row::RemovingFiles);
        r.barVisible = false;
        r.barMax = 100;
        c.model.setChecklist(Row::RemovingFiles, r);
        bak = backupFile(c, unpacked);
        auto admin = c.os.openAdmin(c.state.connString, c.programFolder());
        admin->connect(c.state.dbServer, c.state.dbUser, c.state.dbPassword);
        for (int pass = 0; pass < kSessionPasses; ++pass)
            for (const int spid : admin->attachedProcesses(c.state.dbName))
                admin->endProcess(spid);
        admin->restore(c.state.dbName, bak, [&c](int percent) {
            setRowValue(c, Row::RemovingFiles, percent);
            c.model.processEvents();
        });
        admin->disconnect();
        std::error_code ec;
        if (unpacked) // the backup itself left only the archive; so does the restore
            fs::remove(bak, ec);
        return true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Restore DB");
        std::error_code ec;
        if (unpacked)
            fs::remove(bak, ec);
        return false;
    }
}

} // namespace quillan
