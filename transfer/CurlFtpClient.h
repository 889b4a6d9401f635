#pragma once
// FTP on libcurl, with no console dependency: a login check, a folder listing (names, sizes,
// directory flag) and a resumable download into a partial file renamed when complete. One client
// keeps one libcurl handle, so its calls share the logged-in connection as long as the server
// keeps it. Passive mode without EPSV. An endpoint with `tls` speaks explicit TLS (AUTH TLS) on the
// control and the data connections, and transfers nothing where the server cannot.
#include "transfer/FtpTypes.h"
#include "transfer/InternetError.h"
#include "transfer/TransferLimits.h"
#include "transfer/TransportSecurity.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace quillan::transfer {

class CurlFtpClient {
public:
    explicit CurlFtpClient(FtpEndpoint endpoint, TransferLimits limits = TransferLimits::current(),
                           TransportSecurity security = TransportSecurity::current());
    ~CurlFtpClient();
    CurlFtpClient(const CurlFtpClient&) = delete;
    CurlFtpClient& operator=(const CurlFtpClient&) = delete;

    void setHooks(FtpHooks hooks);
    const FtpEndpoint& endpoint() const;

    // Connects and logs in; on success entryFolder() holds the server's folder after login.
    bool login();
    const std::string& entryFolder() const;

    // True when the absolute remote folder exists and can be entered.
    bool folderExists(const std::string& folder);

    // Every entry of an absolute remote folder ("/" or "/a/b/"). An empty folder gives an empty
    // list; a missing or unreadable folder gives nullopt (see lastError()).
    std::optional<std::vector<RemoteEntry>> list(const std::string& folder);

    // Downloads an absolute remote file into `localFile` through "<localFile>.part", resuming a
    // partial file left by an earlier attempt only while the server's SIZE and MDTM still match
    // the partial file's record, and where the server allows (a refused REST, or a RETR refused
    // after it, starts the file afresh once). When `expectedSize` is
    // given, a transfer that ends short of it fails and keeps the partial file. With
    // `failIfExists`, an existing local file fails the call without any transfer.
    bool download(const std::string& remoteFile, const std::filesystem::path& localFile,
                  std::optional<std::uint64_t> expectedSize, bool failIfExists);
    // Bytes the last download took over from an earlier partial file.
    std::uint64_t resumedFrom() const;
    // Whether later downloads hash their bytes as they arrive; the SHA-256 of the last download
    // when it was hashed and written in one pass (not when continued from a partial file).
    void hashDownloads(bool on);
    const std::optional<std::string>& lastSha256() const;

    const TransferError& lastError() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// URL paths of an absolute folder ("/a b/c" -> "%2Fa%20b/c") and file ("/x.zip" -> "%2F/x.zip").
std::string ftpFolderUrlPath(const std::string& absoluteFolder);
std::string ftpFileUrlPath(const std::string& absoluteFile);

} // namespace quillan::transfer
