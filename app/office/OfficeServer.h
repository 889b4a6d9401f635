#pragma once
// The local central office: serves a release folder over HTTP (or HTTPS) the way the console expects of the
// office's server. Files by their path below the folder, looked up without regard to case as on
// the office's Windows server, streamed (never read whole) with Range, Last-Modified and ETag so
// that an interrupted download resumes; the "Test.log" probe of the connection check; and the
// deploy-script web service: a SOAP 1.1 POST to "<service>.asmx" whose answer lists, comma
// separated, the script files of the master or the transaction folder.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillan::office {

// A fault the office plays for one file (named by its file name, without regard to case), so that
// the console's handling of a broken transfer can be shown. Drops and stalls happen at a byte of
// the file, not of the answer: a request that starts at or after that byte (a resume) is served
// whole, as a real server would serve it after the line came back.
struct OfficeFault {
    enum class Kind {
        Missing, // answers 404, as if the file were not published
        Drop,    // sends the file up to `atByte`, then closes the connection
        Stall,   // sends the file up to `atByte`, then nothing until the office stops
        Slow,    // sends the file at `atByte` bytes a second (a slow line)
    };
    Kind kind = Kind::Missing;
    std::string file;
    std::uint64_t atByte = 0;
};

// Reads "NAME" (Missing) or "NAME=BYTES" (Drop, Stall, Slow) as given on the command line; nullopt for
// a text without a name or with a byte count that is no number.
std::optional<OfficeFault> parseFault(OfficeFault::Kind kind, const std::string& text);

struct OfficeSettings {
    std::filesystem::path root;            // the release folder
    std::string host = "127.0.0.1";        // loopback unless told otherwise
    int port = 0;                          // 0: the system picks one
    std::string service = "DeployService"; // the web service's name (the console's seqno 40)
    std::string masterFolder = "Master";   // below root: the master scripts
    std::string transFolder = "Trans";     // below root: the transaction scripts
    std::vector<OfficeFault> faults;       // none: every file is served as it is
    // With a certificate (PEM, its chain after it) and its private key, the office serves HTTPS.
    std::filesystem::path certificate;
    std::filesystem::path privateKey;
    // Receives one line per request answered (requestLine), from the server's threads one at a
    // time; none: nothing is logged.
    std::function<void(const std::string&)> onRequest;
};

// "2026-12-07 19:30:01 127.0.0.1 GET /Deploy/Release8.zip 200 1048576": the local time, the
// client's address, the method, the path, the status and the answer's length in bytes.
std::string requestLine(const std::string& time, const std::string& client, const std::string& method,
                        const std::string& path, int status, std::uint64_t bytes);

// The names the service lists for a family, sorted without regard to case: every plain file of the
// master folder; of the transaction folder the files of this distributor only (first "_" part equal
// to the code), or every file when the request carries no code. A release's manifest is no script:
// it is fetched by name beside its script and never listed.
std::vector<std::string> listedScripts(const OfficeSettings& s, bool master,
                                       const std::string& distributorCode);

// The SOAP answer for a list request: the operation's result element holds the names joined by ",".
std::string listAnswer(const std::string& service, const std::string& method,
                       const std::vector<std::string>& names);

class OfficeServer {
public:
    explicit OfficeServer(OfficeSettings settings);
    ~OfficeServer();
    OfficeServer(const OfficeServer&) = delete;
    OfficeServer& operator=(const OfficeServer&) = delete;

    // Binds the port (throws std::runtime_error naming it when it cannot) and serves on a thread
    // of its own until stop().
    void start();
    void stop();
    int port() const { return port_; }
    // "http://host:port/" ("https://" with a certificate): what the console's HTTP server path
    // (seqno 31) is set to.
    std::string serverPath() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    OfficeSettings settings_;
    int port_ = 0;
};

} // namespace quillan::office
