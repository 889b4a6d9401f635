#pragma once
// Test servers on loopback (an FTP server process, an in-process HTTP server), scratch folders and
// a console wired for the transfer procedures. Each test gets its own ports and folders.
#include "base/Console.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestCertificates.h"
#include "transfer/PartialFile.h"
#include "transfer/TransferSession.h"

#include <httplib.h>

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <random>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace quillan::test {

namespace fs = std::filesystem;

// Scratch folders of the transfer tests.
struct ScratchDir : TempDir {
    ScratchDir() : TempDir("quillan-transfer") {}
};

// Bytes that differ along the file, so a misplaced resume shows.
inline std::string patternBytes(std::size_t n, unsigned seed = 7) {
    std::string s(n, '\0');
    std::uint32_t x = seed;
    for (auto& ch : s) {
        x = x * 1664525u + 1013904223u;
        ch = static_cast<char>(x >> 24);
    }
    return s;
}

// 127.0.0.1 at `port`.
inline sockaddr_in loopbackAddress(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    return a;
}

// A socket bound to a port of 127.0.0.1 that the system chose, written to `port`; -1 on failure.
inline int boundLoopbackSocket(int& port) {
    int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = loopbackAddress(0);
    socklen_t len = sizeof a;
    if (fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0) {
        port = ntohs(a.sin_port);
        return fd;
    }
    if (fd >= 0)
        ::close(fd);
    return -1;
}

// tests/transfer/ftp_server.py run by the system Python, serving `root` on a port the OS chose.
class FtpTestServer {
public:
    explicit FtpTestServer(const fs::path& root, std::vector<std::string> extra = {}) {
        std::vector<std::string> args{"/usr/bin/python3",
                                      std::string(QUILLAN_SOURCE_DIR) + "/tests/transfer/ftp_server.py",
                                      "--root", root.string()};
        args.insert(args.end(), extra.begin(), extra.end());
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) // dup2 gives the child its own inheritable copy
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
        posix_spawn_file_actions_addclose(&actions, fds[0]);
        int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        ::close(fds[1]);
        if (rc != 0) {
            ::close(fds[0]);
            throw std::runtime_error("cannot start the FTP test server");
        }
        std::string line;
        pollfd p{fds[0], POLLIN, 0};
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (line.find('\n') == std::string::npos && std::chrono::steady_clock::now() < deadline) {
            if (::poll(&p, 1, 200) > 0) {
                char buf[64];
                auto n = ::read(fds[0], buf, sizeof buf);
                if (n <= 0)
                    break;
                line.append(buf, static_cast<std::size_t>(n));
            }
        }
        ::close(fds[0]);
        if (line.rfind("PORT ", 0) != 0) {
            stop();
            throw std::runtime_error("the FTP test server did not start: " + line);
        }
        port_ = std::stoi(line.substr(5));
    }
    ~FtpTestServer() { stop(); }
    FtpTestServer(const FtpTestServer&) = delete;
    FtpTestServer& operator=(const FtpTestServer&) = delete;

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }

private:
    void stop() { endChildProcess(pid_); }
    pid_t pid_ = 0;
    int port_ = 0;
};

// cpp-httplib server on 127.0.0.1, any free port, running on its own thread; HTTPS when made
// with a certificate.
//
// Start and stop are made race-free here because the library's own are not: stop() only closes
// the listening socket when the accept loop already counts as running, so a stop that comes too
// early is lost and the server thread never ends. start() therefore returns only after the
// server has answered one real request, and the destructor stops the server again (and knocks on
// its port) until the thread has ended.
class HttpTestServer {
    std::unique_ptr<httplib::Server> owned_;

public:
    httplib::Server& server;

    HttpTestServer() : owned_(std::make_unique<httplib::Server>()), server(*owned_) {}
    explicit HttpTestServer(const CertificateFiles& tls)
        : owned_(std::make_unique<httplib::SSLServer>(tls.certificate.string().c_str(),
                                                      tls.privateKey.string().c_str())),
          server(*owned_), tls_(true) {}
    HttpTestServer(const HttpTestServer&) = delete;
    HttpTestServer& operator=(const HttpTestServer&) = delete;

    void start() {
        port_ = server.bind_to_any_port("127.0.0.1");
        if (port_ <= 0)
            throw std::runtime_error("cannot bind the HTTP test server");
        thread_ = std::thread([this] {
            server.listen_after_bind();
            ended_ = true;
        });
        while (!server.is_running() && !ended_)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        if (!answersARequest())
            throw std::runtime_error("the HTTP test server does not answer");
    }
    ~HttpTestServer() {
        if (!thread_.joinable())
            return;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!ended_ && std::chrono::steady_clock::now() < deadline) {
            server.stop();
            for (int i = 0; i < 100 && !ended_; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            if (!ended_)
                knock();
        }
        if (ended_) {
            thread_.join();
        } else {
            // Better a leaked thread and a failed test than a test run that hangs.
            ADD_FAILURE() << "the HTTP test server thread did not end";
            thread_.detach();
        }
    }
    int port() const { return port_; }
    std::string base() const {
        return (tls_ ? "https://127.0.0.1:" : "http://127.0.0.1:") + std::to_string(port_) + "/";
    }

private:
    // One connection to the server's port; -1 when it cannot be made.
    int connectToPort() const {
        int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in a = loopbackAddress(port_);
        if (fd >= 0 && ::connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }
    // A request line with a method the library does not know: it is answered "400 Bad Request"
    // by the library itself, so no handler of the test sees it or counts it. Over TLS the plain
    // text fails the handshake, and the server closing the connection is the answer.
    bool answersARequest() const {
        int fd = connectToPort();
        if (fd < 0)
            return false;
        const std::string request = "READY / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
        bool answered = false;
        if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) ==
            static_cast<ssize_t>(request.size())) {
            pollfd p{fd, POLLIN, 0};
            char buf[256];
            answered = ::poll(&p, 1, 10000) > 0 && (tls_ || ::recv(fd, buf, sizeof buf, 0) > 0);
        }
        ::close(fd);
        return answered;
    }
    // Wakes an accept loop that missed the stop; the connection itself is dropped at once.
    void knock() const {
        int fd = connectToPort();
        if (fd >= 0)
            ::close(fd);
    }

    bool tls_ = false;
    int port_ = 0;
    std::atomic<bool> ended_{false};
    std::thread thread_;
};

// A server on 127.0.0.1 that answers each connection with the bytes `answer` gives for its
// request head (request line and headers) and then closes it: for answers no HTTP library would
// send, such as a body that ends only by the close or an unreadable Content-Range.
class RawHttpServer {
public:
    using Answer = std::function<std::string(const std::string& requestHead)>;

    explicit RawHttpServer(Answer answer) : answer_(std::move(answer)) {
        fd_ = boundLoopbackSocket(port_);
        if (fd_ < 0 || ::listen(fd_, 8) != 0)
            throw std::runtime_error("cannot start the raw HTTP test server");
        thread_ = std::thread([this] { serve(); });
    }
    ~RawHttpServer() {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    RawHttpServer(const RawHttpServer&) = delete;
    RawHttpServer& operator=(const RawHttpServer&) = delete;

    std::string base() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }
    int connections() const { return connections_; }

private:
    void serve() {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client < 0)
                continue;
            ++connections_;
            std::string head;
            char buf[1024];
            pollfd q{client, POLLIN, 0};
            while (head.find("\r\n\r\n") == std::string::npos && ::poll(&q, 1, 5000) > 0) {
                auto n = ::recv(client, buf, sizeof buf, 0);
                if (n <= 0)
                    break;
                head.append(buf, static_cast<std::size_t>(n));
            }
            const std::string reply = answer_(head);
            std::size_t sent = 0;
            while (sent < reply.size()) {
                auto n = ::send(client, reply.data() + sent, reply.size() - sent, MSG_NOSIGNAL);
                if (n <= 0)
                    break;
                sent += static_cast<std::size_t>(n);
            }
            ::close(client);
        }
    }

    Answer answer_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::atomic<int> connections_{0};
    std::thread thread_;
};

// A port nothing listens on: bound without listening, then released, so connecting is refused.
inline int closedPort() {
    int port = 0;
    const int fd = boundLoopbackSocket(port);
    if (fd >= 0)
        ::close(fd);
    return port;
}

// A console whose program folder, update folder and DEPLOY IN folder are scratch folders, with
// its run log open, and the transports' state the run's phases would hold.
struct ConsoleFixture {
    ScratchDir dir;
    RecordingOperator op;
    std::unique_ptr<Console> c;
    TransferSession session;

    ConsoleFixture() {
        fs::create_directories(dir / "prog");
        fs::create_directories(dir / "update");
        fs::create_directories(dir / "prog" / "DEPLOY IN");
        c = std::make_unique<Console>(dir / "prog", op);
        c->state.updateFolder = (dir / "update").string();
        c->state.deployInFolder = (dir / "prog" / "DEPLOY IN").string();
        c->state.appPath = (dir / "prog").string();
        c->state.isLocalServer = true;
        c->log.open(dir / "DeployErrlog.log");
    }
    std::string log() const { return c->log.readAll(); }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
    fs::path update(const std::string& name) const { return dir / "update" / name; }
};

} // namespace quillan::test
