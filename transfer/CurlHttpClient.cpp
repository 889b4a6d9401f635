#include "transfer/CurlHttpClient.h"

#include "transfer/CurlEasy.h"
#include "transfer/PartialFile.h"

#include <cctype>
#include <charconv>

namespace quillan::transfer {

std::optional<ContentRange> parseContentRange(std::string_view text) {
    // "bytes <first>-<last>/<size or *>"
    auto number = [&text](std::uint64_t& out) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), out);
        if (ec != std::errc() || end == text.data())
            return false;
        text.remove_prefix(static_cast<std::size_t>(end - text.data()));
        return true;
    };
    auto skip = [&text](std::string_view what) {
        if (!text.starts_with(what))
            return false;
        text.remove_prefix(what.size());
        return true;
    };
    while (text.starts_with(' '))
        text.remove_prefix(1);
    ContentRange r;
    if (!skip("bytes ") || !number(r.first) || !skip("-") || !number(r.last) || !skip("/") ||
        r.last < r.first)
        return std::nullopt;
    if (skip("*"))
        return text.empty() ? std::optional(r) : std::nullopt;
    std::uint64_t total = 0;
    if (!number(total) || !text.empty() || total <= r.last)
        return std::nullopt;
    r.total = total;
    return r;
}

namespace {

bool hasChunkedBody(const std::string& transferEncoding) {
    std::string lower;
    for (char ch : transferEncoding)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return lower.find("chunked") != std::string::npos;
}

// What a validator an If-Range may carry: a strong ETag, else the modification date.
std::string ifRangeValidator(const RemoteStamp& saved) {
    if (!saved.etag.empty() && !saved.etag.starts_with("W/"))
        return saved.etag;
    return saved.time;
}

// True when the answer is of the version the partial file was begun from: every validator both
// sides know agrees, and at least one was compared.
bool sameVersion(const RemoteStamp& saved, const RemoteStamp& now) {
    bool compared = false;
    if (!saved.etag.empty() && !now.etag.empty()) {
        if (saved.etag != now.etag)
            return false;
        compared = true;
    }
    if (!saved.time.empty() && !now.time.empty()) {
        if (saved.time != now.time)
            return false;
        compared = true;
    }
    if (saved.size && now.size && *saved.size != *now.size)
        return false;
    return compared;
}

} // namespace

struct CurlHttpClient::Impl {
    TransferLimits limits;
    TransportSecurity security;
    CurlEasy easy;
    FtpHooks common; // the cancel hook, in the shape CurlEasy takes
    TransferError error;
    std::string refusal;
    long status = 0;
    std::optional<std::string> sha256;

    // Download state for the callbacks.
    const HttpHooks* hooks = nullptr;
    PartialFile* file = nullptr;
    std::uint64_t offset = 0; // what we asked the server to skip
    RemoteStamp saved;        // the record of the partial file being continued
    bool requireDelimitedBody = false;
    bool started = false;
    bool refused = false;
    bool rangeMismatch = false;
    bool writeFailed = false;
    std::uint64_t total = 0;

    void prepare(const std::string& url, const std::function<bool()>& cancel) {
        common = {};
        common.cancel = cancel;
        easy.prepare(limits, security, &common);
        CURL* h = easy.get();
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        restrictHttpSchemes(h, url);
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
        RemoteStamp now;
        now.etag = easy.header("ETag");
        now.time = easy.header("Last-Modified");
        std::uint64_t keep = 0;
        if (status == 206 && offset > 0) {
            // Only a range of the same version, starting where our part ends, continues it; an
            // answer that cannot be read is no continuation either.
            const auto range = parseContentRange(easy.header("Content-Range"));
            if (range)
                now.size = range->total;
            if (!range || range->first != offset || !sameVersion(saved, now)) {
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
        r.chunked = hasChunkedBody(easy.header("Transfer-Encoding"));
        total = r.contentLength.value_or(0);
        if (requireDelimitedBody && !r.contentLength && !r.chunked) {
            // A body that ends only when the connection closes cannot be told from a cut one.
            refusal = "The answer has neither a Content-length nor a chunked body";
            refused = true;
            return false;
        }
        if (hooks != nullptr && hooks->onResponse && !hooks->onResponse(r, refusal)) {
            refused = true;
            return false;
        }
        if (keep == 0) {
            // A new partial file: its record is what this answer says of the file.
            now.size = r.contentLength;
            file->saveStamp(now);
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

CurlHttpClient::CurlHttpClient(TransferLimits limits, TransportSecurity security)
    : impl_(std::make_unique<Impl>()) {
    impl_->limits = limits;
    impl_->security = std::move(security);
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
    m.sha256.reset();
    PartialFile part(localFile);
    if (options.hash)
        part.hashWhatIsWritten();
    // A partial file is continued only when its record names a version the server can confirm
    // (If-Range); any other is begun afresh.
    std::uint64_t offset = 0;
    if (options.resume && part.existingBytes() > 0) {
        if (auto saved = part.savedStamp(); saved && !ifRangeValidator(*saved).empty()) {
            offset = part.existingBytes();
            m.saved = *saved;
        }
    }
    if (offset == 0)
        part.discard();
    m.requireDelimitedBody = options.requireDelimitedBody;
    CURLcode rc = CURLE_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        m.prepare(url, hooks.cancel);
        CURL* h = m.easy.get();
        curl_slist* ifRange = nullptr;
        if (offset > 0) {
            curl_easy_setopt(h, CURLOPT_RANGE, (std::to_string(offset) + "-").c_str());
            ifRange = curl_slist_append(nullptr, ("If-Range: " + ifRangeValidator(m.saved)).c_str());
            curl_easy_setopt(h, CURLOPT_HTTPHEADER, ifRange);
        }
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
        curl_slist_free_all(ifRange);
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
    m.sha256 = part.sha256();
    return true;
}

const std::optional<std::string>& CurlHttpClient::lastSha256() const {
    return impl_->sha256;
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
