#pragma once
// What the FTP and HTTP procedures keep between calls: the login connection, the listing (the
// form's hidden list box LstFTPFiles), the script-mode switch and the download state. One
// TransferSession belongs to the run's phases (console/DeploymentPhases), which pass its parts
// to every transfer procedure; nothing of it is kept anywhere else.
#include "transfer/CurlFtpClient.h"

#include <memory>
#include <string>
#include <vector>

namespace quillan {

struct FtpSession {
    std::unique_ptr<transfer::CurlFtpClient> login; // the login connection; null when not logged in
    std::string currentFolder;                      // the login connection's remote folder
    std::vector<std::string> LstFTPFiles;           // listing entries: name TAB formatted size
    bool ftpScriptMode = false; // set by the deploy-script download while it fetches scripts
    std::string lastErrorText;  // why the last listed-file download failed
    double bytesReceived = 0;   // of the current transfer
    int transferState = 0;      // 0 idle, 3 downloading
};

struct HttpSession {
    int httpRequestOk = 0;
    std::string httpCurrentUrl;
    bool httpDownloadDone = false;
};

struct TransferSession {
    FtpSession ftp;
    HttpSession http;
};

} // namespace quillan
