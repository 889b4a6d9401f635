#pragma once
// The deploy-script download: every new script file of the two families (master scripts for every
// distributor, transaction scripts for this one) from the server into deployInFolder, through the
// deploy web service (HTTP mode) or the FTP server (FTP mode). Each fetched name is recorded in
// IMPORT_DEPLOY_FILENAMES, so that no file is fetched twice, in later runs neither.
#include "base/Console.h"
#include "transfer/TransferSession.h"

#include <string>

namespace quillan {

// True when the fetch may count as done (also in LAN mode, where nothing is fetched here).
bool ScriptFileDownload(Console& c, TransferSession& t);

// The HTTP path for one family: methodName "ListMastersFiles" with kind "MST", or
// "ListTransactionFiles" with "TRN". `ok` is true when the list was processed (an empty one
// too), false after a failure, an error page or a SOAP fault included.
void DOWNLOADFILES(Console& c, const std::string& methodName, const std::string& kind, bool& ok);

// The FTP path for one family (script mode must be on): serverFolder deployMasterPath with kind
// "MAST", or deployTransPath with "TRAN". False when the log-in, the folder or its listing failed.
bool DownLoadFTPScriptFile(Console& c, FtpSession& s, const std::string& serverFolder,
                           const std::string& kind);

// Enters serverFolder below the log-in folder and lists it into LstFTPFiles (every file, in script
// mode). False when the folder cannot be entered or listed: the listing of another folder must not
// stand in for it.
bool FillFilesinList(Console& c, FtpSession& s, const std::string& pattern, const std::string& serverFolder);

// Script mode for as long as it lives, switched back on every way out: with it left on, the
// program packages fetched later would land in deployInFolder.
class ScriptModeGuard {
public:
    explicit ScriptModeGuard(FtpSession& s) : s_(s), before_(s.ftpScriptMode) { s_.ftpScriptMode = true; }
    ~ScriptModeGuard() { s_.ftpScriptMode = before_; }
    ScriptModeGuard(const ScriptModeGuard&) = delete;
    ScriptModeGuard& operator=(const ScriptModeGuard&) = delete;

private:
    FtpSession& s_;
    bool before_;
};

} // namespace quillan
