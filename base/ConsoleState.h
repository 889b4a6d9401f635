#pragma once
// The named fields of the main window that the phases share: connection settings, this system's
// settings, folders, drives and the run state. Path fields hold Windows-style texts, as the data
// does; Console::native() turns them into native paths at the moment of use.
#include "base/DownloadDigests.h"
#include "platform/DateTime.h"

#include <chrono>
#include <string>
#include <vector>

namespace quillan {

struct DriveInfo {
    std::string letter; // one letter, no colon; empty for a drive the scan did not fill
    double freeGB = 0;
};

// How the finishing operation closed a run; the exit code reads it, never a label's text.
enum class RunOutcome {
    NotClosed,           // no finishing operation has closed the run (yet)
    Completed,           // closed, nothing failed
    CompletedWithErrors, // closed after a failure (runFailed)
    Stopped,             // closed through the stop branch: the release is still pending
};

// What one run records as it goes. Reset when a run starts (the start timer's event) and nowhere
// else, so that a failure recorded by the connection check before the phases still counts.
struct RunState {
    bool runFailed = false;
    int completedPhase = 0;
    bool splitPackagesJoined = false;
    bool operatorStopped = false;
    int gridRowCounter = 4; // next event-grid row taken by the download and later phases
    RunOutcome outcome = RunOutcome::NotClosed;
    // The running programs the operator agreed to have ended (the closing of running programs, ask
    // mode); the EXE replacement ends a program it finds running only when it is named here.
    std::vector<std::string> programsToEnd;
    // The newest release whose packages matched its signed manifest in this run; recorded as
    // applied once the run completes, so that an older release is refused afterwards.
    int verifiedRelease = 0;
    // The packages hashed as they arrived in this run, for the packages' check.
    DownloadDigests downloadDigests;

    // What the run has changed so far. Each phase sets its flag the moment it starts to change
    // something (before the first file is written, before the first batch is run), so that a
    // failure half-way still counts; the finishing operation's undo reads them to decide what to
    // put back and whether the backup copies may be removed (docs/finishing.md).
    bool databaseBackedUp = false;     // the database backup wrote backupFileName (or its archive)
    bool filesBackedUp = false;        // the file backup copied the old files into backupFolder
    bool exesReplaced = false;         // the EXE replacement started copying over the installed EXEs
    bool hotfixRunStarted = false;     // the hotfix runner started running a script on the database
    bool reportsReplaced = false;      // the report replacement started copying RPT / RTM files
    bool otherFilesReplaced = false;   // the other-files replacement started copying
    bool componentsRegistered = false; // the registration started replacing or unregistering components
    // Set after the fact, unlike the flags above: an installed file was replaced (the safe replace
    // never leaves half a file, so before it returns the installed file is the old one).
    bool installedFileReplaced = false;

    // The undo of a failed run: taken (set before its first action, so that an undo broken off
    // half-way still counts) and what it, or a run broken off without it, left not put back.
    bool undoTaken = false;
    bool undoFinished = false;
    std::vector<std::string> notPutBack;
    bool undoComplete() const { return undoFinished && notPutBack.empty(); }

    // True once any installed file may differ from what was there before the run.
    bool filesChanged() const {
        return exesReplaced || reportsReplaced || otherFilesReplaced || componentsRegistered;
    }

    bool closed() const { return outcome != RunOutcome::NotClosed; }
};

// The longest one database statement or hotfix batch may run unless the installation sets another.
inline constexpr std::chrono::minutes kDefaultStatementTimeLimit{30};

struct ConsoleState {
    // --- start-up: connection settings
    std::string appPath;    // program folder, Windows text ("C:\Tervik")
    std::string iniPath;    // program folder + "\Dll\Sd.ini"
    std::string connString; // first line of the settings file, catalog replaced by "MASTER"
    std::string dbName, dbPrefix, dbServer, dbUser, dbPassword;
    std::string distributorCode; // also the process-wide copy the database backup reads
    std::string computerName;
    bool isLocalServer = false;
    std::chrono::milliseconds statementTimeLimit = kDefaultStatementTimeLimit; // console/TimeLimitSetting.h

    // --- start-up: folders and drives
    std::string deployInFolder, archiveInFolder, tempExtractFolder;
    std::vector<DriveInfo> driveList;
    double installDriveFreeGB = 0;
    std::string backupDrive;
    double backupDriveFreeGB = 0;
    std::string backupFolder;
    // The last database backup's file name, written by the database backup phase, read by the
    // restore (the undo of a failed run).
    std::string backupFileName;
    double dbSizeGB = 0;
    std::string systemDrive;

    // --- settings (ValidateData)
    int transferMode = 0; // 1 FTP, 2 HTTP
    std::string errLogFolder, errLogPath;
    int keptRunLogs = 30; // earlier run logs kept beside the current one (quillan --keep-logs)
    std::string serverPath, deployServerPath, ftpUser, ftpPassword, lanServerPath, updateFolder;
    std::string deployMasterPath, deployTransPath, webServiceUrl;
    // A private office's certificate authorities (PEM), the optional TransportCaFile row; the
    // environment's QUILLAN_CA_FILE wins over it (transfer/TransportSecurity.h).
    std::string transportCaFile;
    std::string filePattern, fileFormat;

    // --- status panel
    DateTime serverDate;

    // --- the run
    RunState run;
    bool setupDetailsFound = true;
    bool ftpConnected = false;
    bool httpAvailable = false;
    bool timerEnabled = false;
};

} // namespace quillan
