#pragma once
// The console's HTTP side: the connection check before a run ("Test.log" probe, checklist row 0,
// grid row 1) and the download of one program package into the update folder with its progress
// on checklist row 4. The transfer itself is CurlHttpClient; what is kept between calls is the
// HttpSession the caller passes in (the run's phases own it).
#include "base/ByteProgress.h"
#include "base/Console.h"
#include "transfer/TransferSession.h"

#include <cstdint>
#include <string>

namespace quillan {

// True when the run may go on over HTTP; also left in httpAvailable.
bool HTTPLogin(Console& c, HttpSession& s);
// Fetches serverPath & deployServerPath & fileName into updateFolder (the file name is
// percent-encoded where a URL cannot carry it as written). True once the request was issued;
// whether the file was written completely is told by httpDownloadDone().
bool DownloadFromHttp(Console& c, HttpSession& s, const std::string& fileName);
// True only when the last download's body was written completely under its final name.
bool httpDownloadDone(const HttpSession& s);
// The text after the last "/" (the whole text when there is none).
std::string FileNameFromUrl(const std::string& url);

// Row 4's step rule as a bar reading: every 1024 bytes add 1024 / contentLength x 100, rounded to
// four decimals, while that keeps the bar at or under 100, labelled "N %"; the step that would
// pass 100 sets 100 with the label "100%", and nothing moves after that. Amounts are counted in
// whole chunks; pass the amount rounded up to a chunk for the last, shorter one.
ByteProgress::Reading httpStepReading(std::uint64_t contentLength);

} // namespace quillan
