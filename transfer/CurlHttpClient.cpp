#include "transfer/CurlHttpClient.h"

#include "transfer/CurlEasy.h"
#include "transfer/PartialFile.h"

namespace quillan::transfer {

struct CurlHttpClient::Impl {
    TransferLimits limits;
    CurlEasy easy;
    FtpHooks common; // the cancel hook, in the shape CurlEasy takes
    TransferError error;
    std::string refusal;
    long status = 0;

    // Download state for the callbacks.
    const HttpHooks* hooks = nullptr;
    PartialFile* file = nullptr;
    std::uint64_t offset = 0; // what we asked the server to skip
    bool started = false;
    bool refused = false;
    bool rangeMismatch = false;
    bool writeFailed = false;
    std::uint64_t total = 0;

    void prepare(const std::string& url, const std::function<bool()>& cancel) {
        common = {};
        common.cancel = cancel;
        easy.prepare(limits, &common);
        CURL* h = easy.get();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(h, CURLOPT_MAXREDIRS, 5L);
    }

    // The first body byte (or the end of an empty body) decides where the bytes go.
    bool start() {
        started = true;
        CURL* h = easy.get();
        status = easy.responseCode();
        curl_off_t length = -1;
        curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
        std::uint64_t keep = 0;
        if (status == 206 && offset > 0) {
            // "bytes <first>-<last>/<size>": only a range starting where our part ends continues it.
            std::string range = easy.header("Content-Range");
            std::uint64_t first = 0;
            auto pos = range.find_first_of("0123456789");
            if (pos != std::string::npos)
                first = std::stoull(range.substr(pos));
            if (first != offset) {
                rangeMismatch = true;
                return false;
            }
            keep = offset;
        }
        HttpResponse r;
        r.status = status;
        r.offset = keep;
        // An encoded body (not asked for, but a server may send it) is not measured by its length.
        if (length >= 0 && easy.header("Content-Encoding").empty())
            r.contentLength = keep + static_cast<std::uint64_t>(length);
        total = r.contentLength.value_or(0);
        if (hooks != nullptr && hooks->onResponse && !hooks->onResponse(r, refusal)) {
            refused = true;
            return false;
        }
        if (!file->open(keep)) {
            writeFailed = true;
            return false;
        }
        return true;
    }

    static size_t onData(char* data, size_t size, size_t count, void* self) {
        auto* me = static_cast<Impl*>(self);
        size_t n = size * count;
        if (!me->started && !me->start())
            return 0;
        if (!me->file->write(data, n)) {
            me->writeFailed = true;
            return 0;
        }
        if (me->hooks != nullptr && me->hooks->onProgress)
            me->hooks->onProgress(me->file->size(), me->total);
        return n;
    }

    static size_t toString(char* data, size_t size, size_t count, void* out) {
        static_cast<std::string*>(out)->append(data, size * count);
        return size * count;
    }

    void fail(long code, std::string detail) {
        error = {};
        error.internetCode = code;
        error.detail = std::move(detail);
    }
};

CurlHttpClient::CurlHttpClient(TransferLimits limits) : impl_(std::make_unique<Impl>()) {
    impl_->limits = limits;
}
CurlHttpClient::~CurlHttpClient() = default;

long CurlHttpClient::status() const {
    return impl_->status;
}
const std::string& CurlHttpClient::refusal() const {
    return impl_->refusal;
}
const TransferError& CurlHttpClient::lastError() const {
    return impl_->error;
}

bool CurlHttpClient::download(const std::string& url, const std::filesystem::path& localFile,
                              const HttpHooks& hooks, HttpDownloadOptions options) {
    Impl& m = *impl_;
    m.error = {};
    m.refusal.clear();
    m.status = 0;
    PartialFile part(localFile);
    std::uint64_t offset = options.resume ? part.existingBytes() : 0;
    CURLcode rc = CURLE_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        m.prepare(url, hooks.cancel);
        CURL* h = m.easy.get();
        if (offset > 0)
            curl_easy_setopt(h, CURLOPT_RANGE, (std::to_string(offset) + "-").c_str());
        if (options.failOnHttpError)
            curl_easy_setopt(h, CURLOPT_FAILONERROR, 1L); // an error page never reaches the file
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::onData);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &m);
        m.hooks = &hooks;
        m.file = &part;
        m.offset = offset;
        m.started = m.refused = m.rangeMismatch = m.writeFailed = false;
        m.total = 0;
        rc = m.easy.perform(m.error);
        if (rc == CURLE_OK && !m.started && !m.start())
            rc = CURLE_WRITE_ERROR; // an empty body, refused or not writable
        if (m.status == 0)
            m.status = m.easy.responseCode();
        bool staleRange = m.rangeMismatch || (rc == CURLE_HTTP_RETURNED_ERROR && m.status == 416);
        if (offset > 0 && staleRange) {
            part.discard(); // the partial file does not continue into this answer: start afresh
            offset = 0;
            continue;
        }
        break;
    }
    m.file = nullptr;
    m.hooks = nullptr;
    if (m.refused) {
        part.close();
        m.fail(0, m.refusal);
        return false;
    }
    if (m.writeFailed) {
        part.close();
        m.fail(12004, "Cannot write " + part.partPath().string());
        return false;
    }
    if (rc == CURLE_HTTP_RETURNED_ERROR) {
        m.error.serverResponse = m.easy.statusLine();
        m.error.detail = "HTTP status " + std::to_string(m.status);
        return false;
    }
    if (rc != CURLE_OK) {
        part.close();
        return false;
    }
    if (m.total > 0 && part.size() != m.total) {
        part.close();
        m.fail(12030,
               "Received " + std::to_string(part.size()) + " of " + std::to_string(m.total) + " bytes");
        return false;
    }
    if (!part.commit()) {
        m.fail(12004, "Cannot rename " + part.partPath().string());
        return false;
    }
    return true;
}

bool CurlHttpClient::request(const std::string& method, const std::string& url, const std::string& body,
                             const std::vector<std::string>& headers, std::string& response) {
    Impl& m = *impl_;
    m.error = {};
    m.status = 0;
    response.clear();
    m.prepare(url, {});
    CURL* h = m.easy.get();
    curl_slist* list = nullptr;
    for (const auto& line : headers)
        list = curl_slist_append(list, line.c_str());
    if (method == "POST") {
        curl_easy_setopt(h, CURLOPT_POST, 1L);
        curl_easy_setopt(h, CURLOPT_POSTFIELDS, body.c_str());
        curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(body.size()));
    } else if (method != "GET") {
        curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());
    }
    if (list != nullptr)
        curl_easy_setopt(h, CURLOPT_HTTPHEADER, list);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::toString);
    curl_easy_setopt(h, CURLOPT_WRITEDATA, &response);
    CURLcode rc = m.easy.perform(m.error);
    m.status = m.easy.responseCode();
    curl_slist_free_all(list);
    return rc == CURLE_OK;
}

} // namespace quillan::transfer
