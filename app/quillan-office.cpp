// quillan-office: a local central office. Serves a release folder over HTTP or HTTPS (files with
// Range, the "Test.log" probe) and the deploy-script web service on one port, until it is
// interrupted. Each request answered is one line on standard output: time, client, method, path,
// status, bytes.
#include "app/CommandLine.h"
#include "app/office/OfficeServer.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <fstream>
#include <iostream>
#include <unistd.h>
#include <utility>
#include <vector>

using namespace quillan::office;

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}
} // namespace

int main(int argc, char** argv) {
    CLI::App cli{"Serves a Quillan release folder over HTTP or HTTPS and the deploy-script web service."};
    OfficeSettings s;
    std::string root, portFile;
    cli.add_option("ROOT", root, "The release folder to serve")->required()->check(CLI::ExistingDirectory);
    cli.add_option("--host", s.host, "Address to listen on (default 127.0.0.1)");
    cli.add_option("--port", s.port, "Port to listen on (default: one the system picks)")
        ->check(CLI::Range(0, 65535));
    cli.add_option("--service", s.service, "The web service's name (default DeployService)");
    cli.add_option("--master", s.masterFolder, "Folder of the master scripts below ROOT (default Master)");
    cli.add_option("--trans", s.transFolder, "Folder of the transaction scripts below ROOT (default Trans)");
    cli.add_option("--port-file", portFile, "Write the port to this file once listening (for scripts)");
    std::string certificate, privateKey;
    auto* cert = cli.add_option("--certificate", certificate,
                                "Serve HTTPS with this certificate (PEM, chain after it)")
                     ->check(CLI::ExistingFile);
    auto* key = cli.add_option("--private-key", privateKey, "The certificate's private key (PEM)")
                    ->check(CLI::ExistingFile);
    cert->needs(key);
    key->needs(cert);
    // Faults, to show how the console handles a broken transfer; each option may be repeated.
    std::vector<std::string> missing, drops, stalls, slows;
    cli.add_option("--missing", missing, "Answer 404 for this file name, as if it were not published")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    cli.add_option("--drop-after", drops,
                   "NAME=BYTES: close the connection once BYTES of file NAME are sent (a resume from "
                   "there is served whole)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    cli.add_option("--stall-after", stalls,
                   "NAME=BYTES: send BYTES of file NAME, then nothing until the office stops")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    cli.add_option("--slow", slows, "NAME=BYTES: send file NAME at BYTES a second")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    quillan::app::addVersionFlag(cli, "quillan-office");
    if (const auto end = quillan::app::parseCommandLine(cli, argc, argv))
        return *end;
    s.root = root;
    s.certificate = certificate;
    s.privateKey = privateKey;
    const std::pair<OfficeFault::Kind, const std::vector<std::string>*> faultOptions[] = {
        {OfficeFault::Kind::Missing, &missing},
        {OfficeFault::Kind::Drop, &drops},
        {OfficeFault::Kind::Stall, &stalls},
        {OfficeFault::Kind::Slow, &slows}};
    for (const auto& [kind, texts] : faultOptions)
        for (const auto& text : *texts) {
            const auto fault = parseFault(kind, text);
            if (!fault) {
                std::cerr << "quillan-office: a fault is NAME"
                          << (kind == OfficeFault::Kind::Missing ? "" : "=BYTES") << ", not \"" << text
                          << "\"\n";
                return quillan::app::kUsageExit;
            }
            s.faults.push_back(*fault);
        }

    // Every request on standard output, so that an office can see who fetched what.
    s.onRequest = [](const std::string& line) { std::cout << line << std::endl; };
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    OfficeServer server(s);
    try {
        server.start();
    } catch (const std::exception& e) {
        std::cerr << "quillan-office: " << e.what() << "\n";
        return 1;
    }
    if (!portFile.empty())
        std::ofstream(portFile) << server.port() << "\n";
    std::cout << "quillan-office: serving " << root << " at " << server.serverPath() << " (web service "
              << server.serverPath() << s.service << ".asmx)" << std::endl;
    while (!stopRequested)
        pause();
    server.stop();
    return 0;
}
