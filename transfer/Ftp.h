#pragma once
// The console's FTP side: the login check before a run, the listing of the deployment folder,
// the download of one listed file with its progress on the checklist, and the program-package
// download. Names and texts follow the console's own procedures; the transfer itself is
// CurlFtpClient. The state kept between calls is the console's FtpSession (TransferSession.h).
#include "base/Console.h"
#include "transfer/FtpTypes.h"
#include "transfer/InternetError.h"
#include "transfer/TransferSession.h"

#include <string>

namespace quillan {

// The FTP state of this console: LstFTPFiles, ftpScriptMode, lastErrorText, ...
FtpSession& ftpSession(const Console& c);

// Login check (checklist row 0). True when connected, when the operator chose to continue
// without the server, or when the database server is another machine; stored in ftpConnected.
bool FtpLogin(Console& c);
// One package into updateFolder: true when already there or the listed file was downloaded.
bool DownloadFromFtp(Console& c, const std::string& name);
// Changes to the deployment folder below the current folder and lists it with `filter`.
void OpenFtpDeployFolder(Console& c, const std::string& filter);
// Fetches one listing entry (into deployInFolder in script mode, else updateFolder).
bool DownloadFtpListItem(Console& c, const std::string& item);
// The text before the first TAB (the whole text when it has none).
std::string ListItemFileName(const std::string& item);
void ResetTransferState(Console& c);
// The login connection's folder, ending in "/"; empty when not logged in.
std::string FtpCurrentFolder(Console& c);
// Changes the login connection's folder (absolute, or relative to the current one). False when
// the folder cannot be entered; the current folder then stays.
bool FtpSetCurrentFolder(Console& c, const std::string& folder);
// Fills LstFTPFiles from the current folder through a second connection: ".." first outside the
// root, no directories; every file in script mode, else only the one named `filter` (any case).
void FtpListFolder(Console& c, const std::string& server, const std::string& user,
                   const std::string& password, const std::string& filter);
// Transfers `remote` (absolute) to the Windows path `local`; progress on row 2 (script mode) or 4.
bool FtpGetFileToLocal(Console& c, const std::string& remote, const std::string& local,
                       const transfer::RemoteEntry& record, bool failIfExists);

// The flood display (a picture box that stays hidden): kept as texts in the session.
void FloodShowConnectAction(Console& c, const std::string& text);
void FloodShowTransferResult(Console& c, bool success, const std::string& name);
void FloodDisplay(Console& c, double total, const std::string& caption);

} // namespace quillan
