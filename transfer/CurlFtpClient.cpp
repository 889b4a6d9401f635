#include "transfer/CurlFtpClient.h"

#include "transfer/CurlEasy.h"
#include "transfer/PartialFile.h"

namespace quillan::transfer {

namespace {
std::string escapeSegment(const std::string& segment) {
    std::string out;
    char* e = curl_easy_escape(nullptr, segment.c_str(), static_cast<int>(segment.size()));
    if (e != nullptr) {
        out = e;
        curl_free(e);
    }
    return out;
}

std::vector<std::string> segmentsOf(const std::string& path) {
    std::vector<std::string> out;
    std::string cur;
    for (char ch : path) {
        if (ch == '/') {
            if (!cur.empty())
                out.push_back(std::move(cur));
            cur.clear();
        } else {
            cur += ch;
        }
    }
    if (!cur.empty())
        out.push_back(std::move(cur));
    return out;
}
} // namespace

// The leading "/" becomes "%2F" so that libcurl changes to the absolute folder rather than one
// relative to the login folder; each segment is escaped on its own.
std::string ftpFolderUrlPath(const std::string& absoluteFolder) {
    std::string out = "%2F";
    bool first = true;
    for (const auto& seg : segmentsOf(absoluteFolder)) {
        if (!first)
            out += '/';
        out += escapeSegment(seg);
        first = false;
    }
    return out;
}

std::string ftpFileUrlPath(const std::string& absoluteFile) {
    auto segs = segmentsOf(absoluteFile);
    if (segs.empty())
        return "%2F";
    std::string name = segs.back();
    segs.pop_back();
    std::string folder;
    for (const auto& seg : segs)
        folder += "/" + seg;
    return ftpFolderUrlPath(folder) + "/" + escapeSegment(name);
}

struct CurlFtpClient::Impl {
    FtpEndpoint ep;
    TransferLimits limits;
    TransportSecurity security;
    FtpHooks hooks;
    CurlEasy easy;
    std::string entry;
    TransferError error;
    std::uint64_t resumed = 0;
    bool hashing = false;
    std::optional<std::string> sha256;

    // Download state for the write callback.
    PartialFile* file = nullptr;
    std::uint64_t total = 0;
    bool writeFailed = false;

    std::string base() const { return "ftp://" + ep.host + ":" + std::to_string(ep.port) + "/"; }

    void prepare() {
        easy.prepare(limits, security, &hooks);
        CURL* h = easy.get();
        curl_easy_setopt(h, CURLOPT_PROTOCOLS_STR, "ftp");
        // Through a proxy, FTP stays FTP (and its TLS ends at the office): a tunnel, never a
        // proxy's translation into HTTP.
        curl_easy_setopt(h, CURLOPT_HTTPPROXYTUNNEL, 1L);
        if (ep.tls) {
            curl_easy_setopt(h, CURLOPT_USE_SSL, static_cast<long>(CURLUSESSL_ALL));
            curl_easy_setopt(h, CURLOPT_FTPSSLAUTH, static_cast<long>(CURLFTPAUTH_TLS));
        }
        curl_easy_setopt(h, CURLOPT_USERNAME, ep.user.c_str());
        curl_easy_setopt(h, CURLOPT_PASSWORD, ep.password.c_str());
        curl_easy_setopt(h, CURLOPT_FTP_USE_EPSV, 0L); // plain PASV
        curl_easy_setopt(h, CURLOPT_FTP_FILEMETHOD, static_cast<long>(CURLFTPMETHOD_SINGLECWD));
        if (hooks.onConnect)
            hooks.onConnect(ConnectEvent::Resolving, ep.host);
    }

    static size_t discard(char*, size_t size, size_t count, void*) { return size * count; }

    // The file's size (SIZE) and time (MDTM) as the server reports them now; empty parts when it
    // does not say.
    RemoteStamp stampOf(const std::string& remoteFile) {
        prepare();
        CURL* h = easy.get();
        std::string url = base() + ftpFileUrlPath(remoteFile);
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
        curl_easy_setopt(h, CURLOPT_FILETIME, 1L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::discard); // the facts come as header text
        RemoteStamp stamp;
        TransferError ignored; // the download that follows reports the failure
        if (easy.perform(ignored) != CURLE_OK)
            return stamp;
        curl_off_t size = -1;
        if (curl_easy_getinfo(h, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &size) == CURLE_OK && size >= 0)
            stamp.size = static_cast<std::uint64_t>(size);
        curl_off_t time = -1;
        if (curl_easy_getinfo(h, CURLINFO_FILETIME_T, &time) == CURLE_OK && time >= 0)
            stamp.time = std::to_string(time);
        return stamp;
    }

    static long onChunk(const void* info, void* self, int) {
        auto* list = static_cast<std::vector<RemoteEntry>*>(self);
        const auto* fi = static_cast<const curl_fileinfo*>(info);
        if (fi->filename != nullptr) {
            RemoteEntry e;
            e.name = fi->filename;
            e.directory = fi->filetype == CURLFILETYPE_DIRECTORY;
            if ((fi->flags & CURLFINFOFLAG_KNOWN_SIZE) != 0 && fi->size >= 0) {
                e.size = static_cast<std::uint64_t>(fi->size);
                e.sizeKnown = true;
            }
            if (e.name != "." && e.name != "..")
                list->push_back(std::move(e));
        }
        return CURL_CHUNK_BGN_FUNC_SKIP; // list only, never download
    }

    static size_t onData(char* data, size_t size, size_t count, void* self) {
        auto* me = static_cast<Impl*>(self);
        size_t n = size * count;
        if (!me->file->write(data, n)) {
            me->writeFailed = true;
            return 0;
        }
        if (me->hooks.onProgress)
            me->hooks.onProgress(me->file->size(), me->total);
        return n;
    }
};

CurlFtpClient::CurlFtpClient(FtpEndpoint endpoint, TransferLimits limits, TransportSecurity security)
    : impl_(std::make_unique<Impl>()) {
    impl_->ep = std::move(endpoint);
    impl_->limits = limits;
    impl_->security = std::move(security);
}

CurlFtpClient::~CurlFtpClient() = default;

void CurlFtpClient::setHooks(FtpHooks hooks) {
    impl_->hooks = std::move(hooks);
}
const FtpEndpoint& CurlFtpClient::endpoint() const {
    return impl_->ep;
}
const std::string& CurlFtpClient::entryFolder() const {
    return impl_->entry;
}
const TransferError& CurlFtpClient::lastError() const {
    return impl_->error;
}
std::uint64_t CurlFtpClient::resumedFrom() const {
    return impl_->resumed;
}

bool CurlFtpClient::login() {
    Impl& m = *impl_;
    m.error = {};
    m.entry.clear();
    m.prepare();
    CURL* h = m.easy.get();
    // Asking for the login folder itself without a body logs in (USER, PASS, PWD) and keeps the
    // connection for the calls that follow.
    std::string url = m.base();
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    if (m.easy.perform(m.error) != CURLE_OK)
        return false;
    char* entry = nullptr;
    if (curl_easy_getinfo(h, CURLINFO_FTP_ENTRY_PATH, &entry) == CURLE_OK && entry != nullptr)
        m.entry = entry;
    if (m.entry.empty())
        m.entry = "/";
    return true;
}

bool CurlFtpClient::folderExists(const std::string& folder) {
    Impl& m = *impl_;
    m.error = {};
    m.prepare();
    CURL* h = m.easy.get();
    // A folder URL without a body changes into the folder and transfers nothing.
    std::string url = m.base() + ftpFolderUrlPath(folder) + "/";
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_NOBODY, 1L);
    return m.easy.perform(m.error) == CURLE_OK;
}

std::optional<std::vector<RemoteEntry>> CurlFtpClient::list(const std::string& folder) {
    Impl& m = *impl_;
    m.error = {};
    m.prepare();
    CURL* h = m.easy.get();
    std::vector<RemoteEntry> entries;
    std::string url = m.base() + ftpFolderUrlPath(folder) + "/*";
    curl_easy_setopt(h, CURLOPT_URL, url.c_str());
    curl_easy_setopt(h, CURLOPT_WILDCARDMATCH, 1L);
    curl_easy_setopt(h, CURLOPT_CHUNK_BGN_FUNCTION, &Impl::onChunk);
    curl_easy_setopt(h, CURLOPT_CHUNK_DATA, &entries);
    curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::discard);
    CURLcode rc = m.easy.perform(m.error);
    if (rc == CURLE_OK)
        return entries;
    if (rc == CURLE_REMOTE_FILE_NOT_FOUND) { // nothing matched: the folder is empty
        m.error = {};
        return std::vector<RemoteEntry>{};
    }
    return std::nullopt;
}

bool CurlFtpClient::download(const std::string& remoteFile, const std::filesystem::path& localFile,
                             std::optional<std::uint64_t> expectedSize, bool failIfExists) {
    Impl& m = *impl_;
    m.error = {};
    m.resumed = 0;
    m.sha256.reset();
    std::error_code ec;
    if (failIfExists && std::filesystem::exists(localFile, ec)) {
        m.error.detail = "The file exists: " + localFile.string();
        return false;
    }
    PartialFile part(localFile);
    if (m.hashing)
        part.hashWhatIsWritten();
    const RemoteStamp stamp = m.stampOf(remoteFile);
    std::uint64_t offset = part.existingBytes();
    const auto saved = part.savedStamp();
    // Only a partial file begun from this very version of the file continues it: same size and
    // same time on the server as when it was begun, and no longer than the file.
    const bool sameFile = stamp.identifiesVersion() && saved && *saved == stamp;
    if (offset == 0 || !sameFile || (expectedSize && offset > *expectedSize)) {
        part.discard();
        offset = 0;
    }
    m.total = expectedSize.value_or(0);

    CURLcode rc = CURLE_OK;
    for (int attempt = 0; attempt < 2; ++attempt) {
        if (offset == 0)
            part.saveStamp(stamp); // without it the next attempt starts afresh, which is safe
        if (!part.open(offset)) {
            m.error.internetCode = 12004;
            m.error.detail = "Cannot write " + part.partPath().string();
            return false;
        }
        m.resumed = offset;
        if (expectedSize && offset == *expectedSize && offset > 0)
            break; // an earlier attempt already received everything
        m.prepare();
        CURL* h = m.easy.get();
        std::string url = m.base() + ftpFileUrlPath(remoteFile);
        curl_easy_setopt(h, CURLOPT_URL, url.c_str());
        curl_easy_setopt(h, CURLOPT_RESUME_FROM_LARGE, static_cast<curl_off_t>(offset));
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, &Impl::onData);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &m);
        m.file = &part;
        m.writeFailed = false;
        rc = m.easy.perform(m.error);
        m.file = nullptr;
        // A server may take "REST n" and then refuse the RETR that follows ("451 Restart not
        // permitted"): a refusal before any byte arrived is a refused resumption like the others.
        const bool nothingArrived = part.size() == offset;
        const bool resumeRefused = rc == CURLE_FTP_COULDNT_USE_REST || rc == CURLE_BAD_DOWNLOAD_RESUME ||
                                   rc == CURLE_RANGE_ERROR ||
                                   (rc == CURLE_FTP_COULDNT_RETR_FILE && nothingArrived);
        if (offset > 0 && resumeRefused) {
            part.discard(); // the server cannot resume: start afresh, once
            offset = 0;
            continue;
        }
        break;
    }
    if (rc != CURLE_OK) {
        if (m.writeFailed) {
            m.error.internetCode = 12004;
            m.error.detail = "Cannot write " + part.partPath().string();
        }
        part.close();
        return false;
    }
    if (expectedSize && part.size() != *expectedSize) {
        m.error = {};
        m.error.internetCode = 12030;
        m.error.detail = "Received " + std::to_string(part.size()) + " of " + std::to_string(*expectedSize) +
                         " bytes of " + remoteFile;
        part.close();
        return false;
    }
    if (!part.commit()) {
        m.error = {};
        m.error.internetCode = 12004;
        m.error.detail = "Cannot rename " + part.partPath().string();
        return false;
    }
    m.sha256 = part.sha256();
    return true;
}

void CurlFtpClient::hashDownloads(bool on) {
    impl_->hashing = on;
}

const std::optional<std::string>& CurlFtpClient::lastSha256() const {
    return impl_->sha256;
}

} // namespace quillan::transfer
