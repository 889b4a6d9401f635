#pragma once
// The console's HTTP side: the connection check before a run ("Test.log" probe, checklist row 0,
// grid row 1) and the download of one program package into the update folder with its progress
// on checklist row 4. The transfer itself is CurlHttpClient.
#include "base/Console.h"
#include "transfer/TransferSession.h"

#include <string>

namespace quillan {

HttpSession& httpSession(const Console& c);

// True when the run may go on over HTTP; also left in httpAvailable.
bool HTTPLogin(Console& c);
// Fetches serverPath & deployServerPath & fileName into updateFolder. True once the request was
// issued; whether the file was written completely is told by httpDownloadDone().
bool DownloadFromHttp(Console& c, const std::string& fileName);
// True only when the last download's body was written completely under its final name.
bool httpDownloadDone(const Console& c);
// The text after the last "/" (the whole text when there is none).
std::string FileNameFromUrl(const std::string& url);

} // namespace quillan
