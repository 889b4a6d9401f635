#pragma once
// One libcurl easy handle with the options every transfer shares: time-outs and the stall
// abort, certificate checks, no signals, a large receive buffer, connection-step reports, the server's last
// reply line, the cancel hook and failure translation. Internal to the transfer library.
#include "transfer/FtpTypes.h"
#include "transfer/InternetError.h"
#include "transfer/TransferLimits.h"
#include "transfer/TransportSecurity.h"

#include <curl/curl.h>

#include <string>
#include <string_view>
#include <vector>

namespace quillan::transfer {

class CurlEasy {
public:
    CurlEasy();
    ~CurlEasy();
    CurlEasy(const CurlEasy&) = delete;
    CurlEasy& operator=(const CurlEasy&) = delete;

    CURL* get() const { return h_; }
    // Clears every option (the connection cache stays) and applies the shared ones, the
    // certificate checks among them.
    void prepare(const TransferLimits& limits, const TransportSecurity& security, const FtpHooks* hooks);
    // Runs the transfer; fills `error` unless it succeeded.
    CURLcode perform(TransferError& error);
    const std::string& lastReply() const { return lastReply_; }
    // HTTP: the status line and the header lines of the last response received.
    const std::string& statusLine() const { return statusLine_; }
    std::string header(std::string_view name) const; // value of the first such header, "" if none
    long responseCode() const;

private:
    static int onDebug(CURL*, curl_infotype type, char* data, size_t size, void* self);
    static size_t onHeader(char* data, size_t size, size_t count, void* self);
    static int onXferInfo(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t);

    CURL* h_ = nullptr;
    CURLM* multi_ = nullptr; // runs the transfers and keeps the connections between them
    const FtpHooks* hooks_ = nullptr;
    std::string lastReply_;
    std::string statusLine_;
    std::vector<std::string> headers_;
    char errorBuffer_[CURL_ERROR_SIZE] = {};
};

} // namespace quillan::transfer
