#pragma once
// The plain data of the FTP client: where to connect, what a listing returns, which connection
// steps are reported.
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace quillan::transfer {

struct FtpEndpoint {
    std::string host;
    long port = 21;
    std::string user;
    std::string password;
    bool tls = false; // explicit TLS (AUTH TLS) on the control and data connections

    // The server setting is a host name, optionally with ":port" and a scheme ("files.example.net",
    // "127.0.0.1:2121", "ftp://host:2121/"). "ftps://" (or "ftpes://") asks for explicit TLS on the
    // same port, 21 unless given.
    static FtpEndpoint parse(std::string_view server, std::string user, std::string password);
};

struct RemoteEntry {
    std::string name;
    std::uint64_t size = 0;
    bool sizeKnown = false;
    bool directory = false;
};

// Connection steps, numbered like the status values the progress display reacts to.
enum class ConnectEvent { Resolving = 10, Resolved = 11, Connecting = 20, Connected = 21 };

struct FtpHooks {
    std::function<void(ConnectEvent, const std::string& info)> onConnect;
    // Bytes of the file on disk so far (a resumed part included) and the expected total (0 when
    // unknown). Called as data arrives.
    std::function<void(std::uint64_t received, std::uint64_t total)> onProgress;
    // Polled during transfers; true aborts the transfer.
    std::function<bool()> cancel;
};

} // namespace quillan::transfer
