#include "console/Startup.h"

#include "base/StatusLine.h"
#include "console/ConnectionSettings.h"
#include "console/CreateFolder.h"
#include "console/DriveScan.h"
#include "console/Settings.h"
#include "console/TimeLimitSetting.h"
#include "console/WorkTables.h"
#include "platform/DateTime.h"

#include "status/StatusPanel.h"

#include <exception>
#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace {

constexpr double kMinimumFreeGB = 5.0;

DriveScanner scanWith(Machine& m) {
    return [&m](const PathMap& map) { return m.scanDrives(map); };
}

void GetsystemRoot(Console& c, Machine& m) {
    try {
        c.state.systemDrive = m.systemDrive().substr(0, 2);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In GetsystemRoot");
    }
}

// Creates one folder level when missing (its parent must exist).
void ensureFolder(Console& c, const std::string& windowsPath) {
    const auto native = c.native(windowsPath);
    if (!std::filesystem::is_directory(native))
        std::filesystem::create_directory(native);
}

// The drive-list entry a scan answered; a list the scan left empty has no entry to read.
const DriveInfo& driveEntry(const Console& c, int index) {
    if (index < 0 || static_cast<std::size_t>(index) >= c.state.driveList.size())
        throw std::runtime_error("Subscript out of range: no fixed drive was found");
    return c.state.driveList[static_cast<std::size_t>(index)];
}

StartupOutcome endNow(Console& c, const std::string& message, Ending why = Ending::Failure) {
    c.op.inform(message);
    c.endProgram(why);
    return StartupOutcome::ProgramEnded;
}

void parseAndStore(Console& c) {
    const ConnectionSettings cs = parseConnectionString(c.state.connString);
    auto& s = c.state;
    s.connString = cs.connString;
    s.dbName = cs.dbName;
    s.dbPrefix = cs.dbPrefix;
    s.dbServer = cs.dbServer;
    s.dbUser = cs.dbUser;
    s.dbPassword = cs.dbPassword;
}

// One run per installation. Taken before anything is written: a second process ends here, with
// the first run's log, folders and tables untouched.
bool lockInstallation(Console& c, Machine& m) {
    if (c.runLock) // a start-up again on the same console: it holds the lock already
        return true;
    c.runLock = m.lockRun(c.programFolder() / kRunLockFileName);
    if (c.runLock)
        return true;
    c.op.inform("Another Quillan run holds this installation (" + c.state.appPath +
                "): this one changes nothing and ends.");
    c.endProgram(Ending::AnotherRunHolds);
    return false;
}

StartupOutcome startUp(Console& c, Machine& m) {
    auto& s = c.state;
    auto& model = c.model;
    if (!lockInstallation(c, m))
        return StartupOutcome::ProgramEnded;

    // 1 to 3: timer off, start time, buttons, run state, status box hidden. (The busy-notice texts
    // belong to the window owner: kRequestPendingText, kServerBusyText. The zip wrappers are
    // created by the unpacking phase on use.)
    s.timerEnabled = false;
    model.setLabel(Label::lblStTime, DateTime::now().display());
    model.setButton(Button::CmdViewLog, false);
    model.setButton(Button::CmdExit, false);
    model.setLabel(Label::lblPrs, "In Progress");
    model.setStatusBoxVisible(false);
    for (const auto& w : c.paths.warnings())
        c.log.line(">>-Drive map (" + c.paths.source() + "): " + w);

    // 4. Checklist and panels (the views load the status pictures themselves, ui/StatusPictures).
    model.resetChecklist();
    for (int i = 0; i < kPanelLabels; ++i) {
        model.setPanel(true, i, "");
        model.setPanel(false, i, "");
    }

    // 5. Logo check.
    if (!std::filesystem::exists(c.native(joinWindows(s.appPath, "\\Images\\Quillan.bmp")))) {
        showErrorSentence(c, "Quillan Image Not Found");
        return StartupOutcome::StoppedWithoutRun;
    }

    // 6 to 8. Settings file, connection string, connection (the embedded engine's data folder is
    // resolved against the program folder).
    s.iniPath = settingsFilePath(s.appPath);
    ReadConnectionString(c);
    parseAndStore(c);
    if (!c.conn)
        c.conn = m.openConnection(s.connString, c.programFolder());
    c.conn->setTimeLimit(s.statementTimeLimit);

    // 9, 10. Server date, distributor code.
    GetServerDate(c);
    if (auto code =
            firstText(c, "Select DistributorCode FROM " + s.dbPrefix + ".dbo.Distributor", "DistributorCode"))
        s.distributorCode = *code;

    // 11. Settings and run log.
    if (!ValidateData(c))
        return c.programEnded() ? StartupOutcome::ProgramEnded : StartupOutcome::StoppedWithoutRun;

    // 12. Work tables.
    for (const auto& sql : workTableStatements(s.dbPrefix))
        c.conn->execute(sql);

    // 13. Is the database server this machine?
    const ServerLocality locality = localServerTest(m.computerName(), s.dbServer);
    s.computerName = locality.computerName;
    s.isLocalServer = locality.isLocalServer;

    // 14, 15. Update folder (all levels) and the work folders (one level).
    if (!std::filesystem::is_directory(c.native(s.updateFolder)))
        CreateFolder(c, s.updateFolder);
    s.deployInFolder = joinWindows(s.appPath, "\\DEPLOY IN");
    s.archiveInFolder = joinWindows(s.appPath, "\\DEPLOY ARCHIVEIN\\");
    s.tempExtractFolder = joinWindows(s.appPath, "\\TEMPEXTRACT\\");
    ensureFolder(c, s.deployInFolder);
    ensureFolder(c, s.archiveInFolder);
    ensureFolder(c, s.tempExtractFolder);

    // 16. Installation drive.
    const DriveInfo& install = driveEntry(c, FindInsDiskSize(c, scanWith(m)));
    s.installDriveFreeGB = install.freeGB;
    if (s.installDriveFreeGB < kMinimumFreeGB)
        return endNow(
            c, "To Run Quillan Process Application need minimum of 5 GB space in core tervik installed "
               "from Drive " +
                   install.letter);

    // 17. Backup drive.
    const DriveInfo& backup = driveEntry(c, FindDiskSize(c, scanWith(m)));
    s.backupDrive = backup.letter;
    s.backupDriveFreeGB = backup.freeGB;
    s.backupFolder = s.backupDrive + ":\\UploadBackup";
    if (s.backupDriveFreeGB < kMinimumFreeGB)
        return endNow(c, "Required more than 5 GB Free Space");

    // 18. Room for the database backup: data and log pages, in GB.
    s.dbSizeGB = 0;
    {
        db::Recordset rs = c.conn->query(
            std::string(
                "select convert (dec (15,5), ((convert (dec (15,2),sum(convert(bigint,case when status & 64 "
                "= 0 then size else 0 end)))") +
            "+ convert (dec (15,2),sum(convert(bigint,case when status & 64 <> 0 then size else 0 end))))* "
            "8192)/1073741824 ) as DbSize" +
            " FROM " + s.dbPrefix + ".dbo.sysfiles");
        if (!rs.eof() && !rs.field("DbSize").isNull())
            s.dbSizeGB = rs.field("DbSize").asDouble();
    }
    if (s.dbSizeGB >= s.backupDriveFreeGB)
        return endNow(c, "Not enough free space for taking database backup");

    // 19. System drive.
    GetsystemRoot(c, m);

    // 20. Operator notice, shown only while FN_SetupDetails(3) is not 1.
    {
        db::Recordset rs = c.conn->query("Select " + s.dbPrefix + ".dbo.FN_SetupDetails(3) AS EXISTS1");
        const auto exists1 = rs.eof() ? std::nullopt : rs.field("EXISTS1").intOrNull();
        if (exists1 && *exists1 != 1) {
            db::Recordset msg = c.conn->query("SELECT DISTINCT Captions FROM " + s.dbPrefix +
                                              ".dbo.DeploymentMessage (NOLOCK) WHERE DStatus = 1");
            model.setLabel(Label::LblDeployProgress, "");
            if (!msg.eof()) {
                std::string caption = msg.field("Captions").textOr("");
                caption.erase(0, caption.find_first_not_of(' '));
                caption.erase(caption.find_last_not_of(' ') + 1);
                if (!c.op.askOkCancel(Question::Notice, caption)) {
                    c.endProgram(Ending::OperatorCancelled);
                    return StartupOutcome::ProgramEnded;
                }
            }
        }
    }

    // 21 to 23. Backup folder, deployment panels, start timer.
    ensureFolder(c, s.backupFolder);
    CurrentDeployStatus(c);
    s.timerEnabled = true;
    return StartupOutcome::Armed;
}

} // namespace

StartupOutcome Form_Load(Console& c) {
    return Form_Load(c, c.os);
}

StartupOutcome Form_Load(Console& c, Machine& m) {
    try {
        return startUp(c, m);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + "In Form_Load");
        c.state.timerEnabled = false;
        c.model.setButton(Button::CmdExit, false);
        return StartupOutcome::StoppedWithoutRun;
    } catch (...) {
        c.op.inform("Unknown error In Form_Load");
        c.state.timerEnabled = false;
        c.model.setButton(Button::CmdExit, false);
        return StartupOutcome::StoppedWithoutRun;
    }
}

} // namespace quillan
