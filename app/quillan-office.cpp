// quillan-office: a local central office. Serves a release folder over HTTP (files with Range, the
// "Test.log" probe) and the deploy-script web service on one port, until it is interrupted.
#include "app/office/OfficeServer.h"

#include <CLI/CLI.hpp>

#include <csignal>
#include <fstream>
#include <iostream>

using namespace quillan::office;

namespace {
volatile std::sig_atomic_t stopRequested = 0;
void onSignal(int) {
    stopRequested = 1;
}
} // namespace

int main(int argc, char** argv) {
    CLI::App cli{"Serves a Quillan release folder over HTTP and the deploy-script web service."};
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
    CLI11_PARSE(cli, argc, argv);
    s.root = root;

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
