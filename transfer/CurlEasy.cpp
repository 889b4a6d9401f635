#include "transfer/CurlEasy.h"

#include "transfer/CurlGlobal.h"

#include <cctype>
#include <new>
#include <string_view>

namespace quillan::transfer {

namespace {
// libcurl takes up to 10 MiB. 4 MiB received a 295 MB download on loopback a fifth faster than
// 512 KiB, natively and under Wine alike (bench/transfer/wine.sh); memory stays flat with file size.
constexpr long kReceiveBuffer = 4 * 1024 * 1024;
// The longest a transfer waits without looking at its state again (see perform).
constexpr int kWakeUpMilliseconds = 10;

std::string trimLine(std::string_view s) {
    while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == ' '))
        s.remove_suffix(1);
    return std::string(s);
}
} // namespace

CurlEasy::CurlEasy() {
    ensureCurlInitialised();
    h_ = curl_easy_init();
    multi_ = curl_multi_init();
    if (h_ == nullptr || multi_ == nullptr) {
        curl_easy_cleanup(h_);
        curl_multi_cleanup(multi_);
        throw std::bad_alloc();
    }
}

CurlEasy::~CurlEasy() {
    curl_easy_cleanup(h_);
    curl_multi_cleanup(multi_); // closes the cached connections (an FTP one says QUIT)
}

void CurlEasy::prepare(const TransferLimits& limits, const TransportSecurity& security,
                       const FtpHooks* hooks) {
    curl_easy_reset(h_);
    hooks_ = hooks;
    lastReply_.clear();
    statusLine_.clear();
    headers_.clear();
    errorBuffer_[0] = '\0';
    curl_easy_setopt(h_, CURLOPT_ERRORBUFFER, errorBuffer_);
    curl_easy_setopt(h_, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(h_, CURLOPT_CONNECTTIMEOUT, limits.connectTimeoutSeconds);
    curl_easy_setopt(h_, CURLOPT_LOW_SPEED_LIMIT, limits.stallBytesPerSecond);
    curl_easy_setopt(h_, CURLOPT_LOW_SPEED_TIME, limits.stallSeconds);
    curl_easy_setopt(h_, CURLOPT_SERVER_RESPONSE_TIMEOUT, limits.stallSeconds);
    curl_easy_setopt(h_, CURLOPT_BUFFERSIZE, kReceiveBuffer);
    applyCertificateChecks(h_, security);
    curl_easy_setopt(h_, CURLOPT_HEADERFUNCTION, &CurlEasy::onHeader);
    curl_easy_setopt(h_, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(h_, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(h_, CURLOPT_XFERINFOFUNCTION, &CurlEasy::onXferInfo);
    curl_easy_setopt(h_, CURLOPT_XFERINFODATA, this);
    if (hooks_ != nullptr && hooks_->onConnect) {
        // libcurl tells the connection steps only through its verbose text.
        curl_easy_setopt(h_, CURLOPT_VERBOSE, 1L);
        curl_easy_setopt(h_, CURLOPT_DEBUGFUNCTION, &CurlEasy::onDebug);
        curl_easy_setopt(h_, CURLOPT_DEBUGDATA, this);
    }
}

// The transfer runs on this handle's own multi handle rather than through curl_easy_perform,
// which waits up to a second whenever libcurl names nothing to wait for. libcurl 7.88 does so on a
// reused FTP connection between the PASV reply and the data connection, so most downloads after
// the first lost a second each. Here the wait is at most kWakeUpMilliseconds; socket activity ends
// it at once. The loop ends with the transfer, which libcurl's time-outs and the stall abort bound.
// The multi handle keeps the connections between transfers, as curl_easy_perform's own does.
CURLcode CurlEasy::perform(TransferError& error) {
    CURLcode rc = CURLE_OK;
    CURLMcode multiRc = curl_multi_add_handle(multi_, h_);
    if (multiRc == CURLM_OK) {
        int running = 1;
        while (running > 0 && multiRc == CURLM_OK) {
            multiRc = curl_multi_perform(multi_, &running);
            if (running > 0 && multiRc == CURLM_OK)
                multiRc = curl_multi_poll(multi_, nullptr, 0, kWakeUpMilliseconds, nullptr);
        }
        int queued = 0;
        while (CURLMsg* message = curl_multi_info_read(multi_, &queued)) {
            if (message->msg == CURLMSG_DONE && message->easy_handle == h_)
                rc = message->data.result;
        }
        curl_multi_remove_handle(multi_, h_);
    }
    if (multiRc != CURLM_OK)
        rc = multiRc == CURLM_OUT_OF_MEMORY ? CURLE_OUT_OF_MEMORY : CURLE_FAILED_INIT;
    if (rc != CURLE_OK) {
        error = TransferError{};
        error.curlCode = rc;
        error.internetCode = internetCodeForCurl(rc);
        error.serverResponse = lastReply_;
        error.detail = multiRc != CURLM_OK       ? curl_multi_strerror(multiRc)
                       : errorBuffer_[0] != '\0' ? errorBuffer_
                                                 : curl_easy_strerror(rc);
    }
    return rc;
}

std::string CurlEasy::header(std::string_view name) const {
    for (const auto& line : headers_) {
        auto colon = line.find(':');
        if (colon != name.size())
            continue;
        bool same = true;
        for (std::size_t i = 0; i < colon && same; ++i)
            same = std::tolower(static_cast<unsigned char>(line[i])) ==
                   std::tolower(static_cast<unsigned char>(name[i]));
        if (!same)
            continue;
        std::string_view v(line);
        v.remove_prefix(colon + 1);
        while (!v.empty() && v.front() == ' ')
            v.remove_prefix(1);
        return std::string(v);
    }
    return {};
}

long CurlEasy::responseCode() const {
    long code = 0;
    curl_easy_getinfo(h_, CURLINFO_RESPONSE_CODE, &code);
    return code;
}

int CurlEasy::onDebug(CURL*, curl_infotype type, char* data, size_t size, void* self) {
    auto* me = static_cast<CurlEasy*>(self);
    if (type != CURLINFO_TEXT || me->hooks_ == nullptr || !me->hooks_->onConnect)
        return 0;
    std::string_view text(data, size);
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    auto after = [&](std::string_view prefix) { return trimLine(text.substr(prefix.size())); };
    if (text.starts_with("Trying ")) {
        std::string address = after("Trying ");
        if (address.ends_with("..."))
            address.resize(address.size() - 3);
        if (auto colon = address.rfind(':'); colon != std::string::npos && address.find(':') == colon)
            address.resize(colon); // "host:port" -> host
        me->hooks_->onConnect(ConnectEvent::Resolved, address);
        me->hooks_->onConnect(ConnectEvent::Connecting, address);
    } else if (text.starts_with("Connected to ")) {
        std::string host = after("Connected to ");
        host = host.substr(0, host.find(' '));
        me->hooks_->onConnect(ConnectEvent::Connected, host);
    }
    return 0;
}

size_t CurlEasy::onHeader(char* data, size_t size, size_t count, void* self) {
    auto* me = static_cast<CurlEasy*>(self);
    std::string line = trimLine(std::string_view(data, size * count));
    if (line.empty())
        return size * count;
    me->lastReply_ = line;
    if (line.starts_with("HTTP/")) {
        me->statusLine_ = line;
        me->headers_.clear();
    } else {
        me->headers_.push_back(line);
    }
    return size * count;
}

int CurlEasy::onXferInfo(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    auto* me = static_cast<CurlEasy*>(self);
    if (me->hooks_ != nullptr && me->hooks_->cancel && me->hooks_->cancel())
        return 1;
    return 0;
}

} // namespace quillan::transfer
