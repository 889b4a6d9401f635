// quillan-sample: makes a sample installation on the embedded database engine, in which the
// console's start-up succeeds; options leave settings out to produce every start-up outcome.
#include "app/CommandLine.h"
#include "app/sample/SampleInstallation.h"
#include "trust/TrustedKeys.h"

#include <CLI/CLI.hpp>

#include <fstream>
#include <iostream>

using namespace quillan::sample;

int main(int argc, char** argv) {
    CLI::App cli{"Makes a sample Quillan installation in DIR (drive C: of the sample is DIR itself)."};
    SampleOptions o;
    std::string folder, mode = "http", format = "xml";
    std::vector<std::string> without, blank;
    std::string notice;
    int fn3 = 0, transferMode = 0;
    cli.add_option("DIR", folder, "The program folder to create (must not exist or be empty)")->required();
    cli.add_option("--mode", mode, "http, ftp, or lan (HTTP settings, database on another machine)")
        ->check(CLI::IsMember({"http", "ftp", "lan"}));
    auto* w =
        cli.add_option("--without", without,
                       "Leave out a setting: seqno30..seqno40, format, zip, distributor, logo, images, ini");
    w->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)->expected(1);
    cli.add_option("--blank", blank, "Give a setting (seqno31..seqno40) a Condition of blanks only")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    auto* n = cli.add_option("--notice", notice, "An operator notice shown at start-up (DeploymentMessage)");
    auto* f = cli.add_option("--fn-setup-details3", fn3,
                             "The answer of FN_SetupDetails(3) (default 1; 0 with --notice)");
    auto* t = cli.add_option("--transfer-mode", transferMode,
                             "seqno 30 Status instead of the mode's (1 FTP, 2 HTTP)");
    cli.add_option("--format", format, "Deploy-script format: xml, csv or xls")
        ->check(CLI::IsMember({"xml", "csv", "xls"}));
    cli.add_flag("--zipped", o.zipped, "Deploy scripts come zipped");
    cli.add_option("--server-path", o.serverPath, "seqno 31: the FTP host or the HTTP base address");
    cli.add_option("--web-service", o.webServiceUrl,
                   "seqno 40: the deploy-script web service's name (called at server path + name + .asmx)");
    cli.add_option("--deploy-path", o.deployPath,
                   "seqno 32: the packages' folder on the server (\"Deploy/\")");
    cli.add_option("--master-path", o.masterPath, "seqno 38: the master scripts' folder on the server");
    cli.add_option("--trans-path", o.transPath, "seqno 39: the transaction scripts' folder on the server");
    cli.add_option("--assets", o.assets, "Folder holding the status pictures and Quillan.bmp");
    std::vector<std::string> trust;
    cli.add_option("--trust", trust,
                   "Trust releases signed with this public key file (office.pub): adds it to "
                   "Dll\\TrustedKeys.txt (repeatable)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    quillan::app::addVersionFlag(cli, "quillan-sample");
    if (const auto end = quillan::app::parseCommandLine(cli, argc, argv))
        return *end;

    o.folder = folder;
    o.mode = *parseMode(mode);
    o.without.insert(without.begin(), without.end());
    o.blank.insert(blank.begin(), blank.end());
    if (*n)
        o.notice = notice;
    if (*f)
        o.fnSetupDetails3 = fn3;
    if (*t)
        o.transferMode = transferMode;
    o.fileFormat = format == "csv" ? 1 : format == "xls" ? 2 : 0;
    try {
        makeSampleInstallation(o);
        for (const auto& file : trust) {
            std::ifstream in(file);
            std::string key;
            if (!std::getline(in, key))
                throw std::runtime_error("the public key file " + file + " cannot be read");
            quillan::trust::addTrustedKey(std::filesystem::path(folder) / "Dll" / "TrustedKeys.txt", key);
        }
    } catch (const std::exception& e) {
        std::cerr << "quillan-sample: " << e.what() << std::endl;
        return 1;
    }
    std::cout << "Sample installation (" << mode << ") made in " << folder << std::endl;
    return 0;
}
