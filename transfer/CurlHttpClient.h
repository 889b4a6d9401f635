#pragma once
// HTTP on libcurl, with no console dependency: a download into a file through "<file>.part"
// (resumed with a Range and If-Range request when the partial file's record names the version,
// and only when the answer is of that version; renamed only when complete; an error status
// refused), and small requests whose answer is kept in memory. An https address is verified and
// never redirected to plain http (TransportSecurity.h).
#include "transfer/FtpTypes.h"
#include "transfer/InternetError.h"
#include "transfer/TransferLimits.h"
#include "transfer/TransportSecurity.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::transfer {

struct HttpResponse {
    long status = 0;
    std::optional<std::uint64_t> contentLength; // of the whole file (a resumed part included)
    std::uint64_t offset = 0;                   // bytes taken over from an earlier attempt
    bool chunked = false;                       // the body comes in chunks, its end marked
};

// A Content-Range value, "bytes <first>-<last>/<total>" (total "*" when unknown). Anything else,
// numbers too large for 64 bits included, gives nullopt.
struct ContentRange {
    std::uint64_t first = 0;
    std::uint64_t last = 0;
    std::optional<std::uint64_t> total;
};
std::optional<ContentRange> parseContentRange(std::string_view text);

struct HttpHooks {
    // Called once the final response's headers are in, before any byte of its body is written.
    // Returning false refuses the body: nothing is written, the call fails with `refusal` set.
    std::function<bool(const HttpResponse&, std::string& refusal)> onResponse;
    // Bytes of the file so far (the resumed part included) and the whole length (0 if unknown).
    std::function<void(std::uint64_t received, std::uint64_t total)> onProgress;
    std::function<bool()> cancel;
};

struct HttpDownloadOptions {
    bool resume = true;          // continue a partial file left by an earlier attempt
    bool failOnHttpError = true; // a status of 400 or more fails and writes nothing
    // Refuses a body whose end only the closing connection marks (no length, not chunked): one
    // cut short would look complete.
    bool requireDelimitedBody = false;
    // Hashes the bytes as they arrive (lastSha256() after a download written in one pass).
    bool hash = false;
};

class CurlHttpClient {
public:
    explicit CurlHttpClient(TransferLimits limits = TransferLimits::current(),
                            TransportSecurity security = TransportSecurity::current());
    ~CurlHttpClient();
    CurlHttpClient(const CurlHttpClient&) = delete;
    CurlHttpClient& operator=(const CurlHttpClient&) = delete;

    bool download(const std::string& url, const std::filesystem::path& localFile, const HttpHooks& hooks = {},
                  HttpDownloadOptions options = {});
    // A request whose whole answer is returned in `response`, whatever its status.
    bool request(const std::string& method, const std::string& url, const std::string& body,
                 const std::vector<std::string>& headers, std::string& response);

    long status() const;                // HTTP status of the last answer (0 when none)
    const std::string& refusal() const; // why the last download's body was refused
    const TransferError& lastError() const;
    // The SHA-256 of the last download when it was asked for and the file written in one pass.
    const std::optional<std::string>& lastSha256() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillan::transfer
