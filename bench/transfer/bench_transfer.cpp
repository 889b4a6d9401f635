// bench_transfer ftp|http <server> <remote folder> <file> <local folder>
// Downloads one file through DownloadFromFtp / DownloadFromHttp (progress rows and all) and
// prints "seconds=<s> bytes=<n>", the seconds of the download alone (without the start-up, which
// under Wine is a quarter of a second). The scripts take the peak memory from /usr/bin/time, the
// same way on both systems.
#include "base/Console.h"
#include "base/Operator.h"
#include "transfer/Ftp.h"
#include "transfer/Http.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <string>

namespace {
struct NoOperator : quillan::Operator {
    void inform(const std::string&) override {}
    bool askYesNo(quillan::Question, const std::string&) override { return false; }
    bool askOkCancel(quillan::Question, const std::string&) override { return false; }
};
} // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::cerr << "usage: bench_transfer ftp|http <server> <remote folder> <file> <local folder>\n";
        return 2;
    }
    const std::string mode = argv[1];
    const std::filesystem::path local = argv[5];
    NoOperator op;
    quillan::Console c(local, op);
    c.state.appPath = local.string();
    c.state.updateFolder = local.string();
    c.state.isLocalServer = true;
    c.state.serverPath = argv[2];
    c.state.deployServerPath = argv[3];
    c.state.ftpUser = "deploy";
    c.state.ftpPassword = "secret";
    c.log.open(local / "bench.log");

    quillan::TransferSession session;
    auto start = std::chrono::steady_clock::now();
    bool ok = mode == "ftp" ? quillan::DownloadFromFtp(c, session.ftp, argv[4])
                            : quillan::DownloadFromHttp(c, session.http, argv[4]) &&
                                  quillan::httpDownloadDone(session.http);
    double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::error_code ec;
    auto bytes = std::filesystem::file_size(local / argv[4], ec);
    std::printf("seconds=%.3f bytes=%llu\n", seconds, static_cast<unsigned long long>(ec ? 0 : bytes));
    if (!ok)
        std::cerr << c.log.readAll();
    return ok ? 0 : 1;
}
