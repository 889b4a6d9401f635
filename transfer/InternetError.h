#pragma once
// The internet error codes the operator reads (12001..12036) and their texts. The libcurl layer
// maps its own failures onto these codes so that both transports speak the same table.
#include <string>

namespace quillan {

// The text for an internet error code. For 12003 (extended error) the server's last response is
// the text; pass it as `serverResponse` ("Extended error returned from server." when empty).
std::string InternetErrorText(long code, const std::string& serverResponse = {});

namespace transfer {

// A failed transfer, as both the table's code and what libcurl said.
struct TransferError {
    long internetCode = 0;      // 0 when no code of the table fits
    int curlCode = 0;           // CURLcode, 0 when the failure is not libcurl's
    std::string serverResponse; // the server's last reply line (FTP) when known
    std::string detail;         // libcurl's or our own description, for the log

    std::string text() const { return InternetErrorText(internetCode, serverResponse); }
    // For a log line: the table's text when it says something of this failure, else what the
    // client knows (its own description, or the server's reply line). Never empty.
    std::string summary() const;
};

// The table's code for a libcurl result code (0 when none fits).
long internetCodeForCurl(int curlCode);

} // namespace transfer
} // namespace quillan
