#pragma once
// The console's FTP side: the login check before a run, the listing of the deployment folder,
// the download of one listed file with its progress on the checklist, and the program-package
// download. Names and texts follow the console's own procedures; the transfer itself is
// CurlFtpClient. What is kept between calls is the FtpSession the caller passes in (the run's
// phases own it).
#include "base/ByteProgress.h"
#include "base/Console.h"
#include "transfer/FtpTypes.h"
#include "transfer/InternetError.h"
#include "transfer/TransferSession.h"

#include <cstdint>
#include <string>

namespace quillan {

// Login check (checklist row 0). True when connected, when the operator chose to continue
// without the server, or when the database server is another machine; stored in ftpConnected.
bool FtpLogin(Console& c, FtpSession& s);
// One package into updateFolder: true when already there or the listed file was downloaded.
// A failed transfer logs its reason after the "Unable to downloaded" line.
bool DownloadFromFtp(Console& c, FtpSession& s, const std::string& name);
// Changes to the deployment folder below the current folder and lists it with `filter`.
void OpenFtpDeployFolder(Console& c, FtpSession& s, const std::string& filter);
// Fetches one listing entry (into deployInFolder in script mode, else updateFolder). On failure
// s.lastErrorText says why.
bool DownloadFtpListItem(Console& c, FtpSession& s, const std::string& item);
// The text before the first TAB (the whole text when it has none).
std::string ListItemFileName(const std::string& item);
void ResetTransferState(FtpSession& s);
// The login connection's folder, ending in "/"; empty when not logged in.
std::string FtpCurrentFolder(const FtpSession& s);
// Changes the login connection's folder (absolute, or relative to the current one). False when
// the folder cannot be entered; the current folder then stays.
bool FtpSetCurrentFolder(FtpSession& s, const std::string& folder);
// Fills LstFTPFiles from the current folder through a second connection: ".." first outside the
// root, no directories; every file in script mode, else only the one named `filter` (any case).
void FtpListFolder(Console& c, FtpSession& s, const std::string& server, const std::string& user,
                   const std::string& password, const std::string& filter);
// Transfers `remote` (absolute) to the Windows path `local`; progress on row 2 (script mode) or 4.
bool FtpGetFileToLocal(Console& c, FtpSession& s, const std::string& remote, const std::string& local,
                       const transfer::RemoteEntry& record, bool failIfExists);

// Resets the transfer's progress row (row 2 in script mode, else 4): range = the size in bytes
// (counted in larger units when it exceeds the bar's range), value 0, label "0". The returned
// throttle moves the row as bytes arrive. The flood picture it once drew into is never shown, so
// nothing else of it is kept.
ByteProgress FloodDisplay(Console& c, const FtpSession& s, std::uint64_t total);

} // namespace quillan
