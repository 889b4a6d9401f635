#pragma once
// What the FTP and HTTP procedures keep between calls for one console: the login connection,
// the listing (the form's hidden list box LstFTPFiles), the script-mode switch and the transfer
// state. It lives in a small registry keyed by the Console's address, created on first use;
// endTransferSession() drops it (an owner that builds several consoles in turn calls it).
#include "transfer/CurlFtpClient.h"

#include <memory>
#include <string>
#include <vector>

namespace quillan {

class Console;

struct FtpSession {
    std::unique_ptr<transfer::CurlFtpClient> login; // the login connection; null when not logged in
    std::string currentFolder;                      // the login connection's remote folder
    std::vector<std::string> LstFTPFiles;           // listing entries: name TAB formatted size
    bool ftpScriptMode = false; // set by the deploy-script download while it fetches scripts
    std::string lastErrorText;
    double expectedSize = 0;
    double bytesReceived = 0;
    int transferState = 0; // 0 idle, 3 downloading
    // The flood display: texts drawn into a picture box that is never shown; kept for tests.
    std::string floodText;
    std::string floodCaption;
    std::uint64_t barDivisor = 1; // bytes per bar unit when a size exceeds the bar's range
};

struct HttpSession {
    int httpRequestOk = 0;
    std::string httpCurrentUrl;
    bool httpDownloadDone = false;
    double progressValue = 0; // row 4's bar value, fractional as the step is
    double progressStep = 0;
    std::uint64_t chunksSeen = 0;
    int shownValue = -1; // the whole value the row shows, so unchanged steps cost nothing
};

struct TransferSession {
    FtpSession ftp;
    HttpSession http;
};

TransferSession& transferSession(const Console& c);
void endTransferSession(const Console& c);

} // namespace quillan
