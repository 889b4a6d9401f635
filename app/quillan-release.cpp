// quillan-release: the central office's release tool. Turns a folder of a release's files into the
// release folder the office serves: the package (split when large), the deploy script in the
// master or the transaction folder, and the signed manifest beside it; "keygen DIR" makes the
// office's signing keys. See docs/publishing.md and docs/security.md.
#include "app/CommandLine.h"
#include "app/release/OfficeKeys.h"
#include "app/release/ReleaseBuilder.h"
#include "app/release/ReleaseError.h"
#include "app/release/ReleasePlan.h"
#include "trust/UtcTime.h"

#include <CLI/CLI.hpp>

#include <iostream>

using namespace quillan::release;

namespace {

int keygen(int argc, char** argv) {
    CLI::App cli{"Makes the office's signing keys: DIR/office.key (secret) and DIR/office.pub."};
    std::string dir;
    cli.add_option("DIR", dir, "The folder of the keys (created when missing)")->required();
    if (const auto end = quillan::app::parseCommandLine(cli, argc, argv))
        return *end;
    try {
        const auto keys = generateOfficeKeys(dir);
        std::cout << "Secret key " << keys.secretFile.string() << " (keep it at the office only)\n"
                  << "Public key " << keys.publicFile.string() << ": " << keys.publicHex << "\n";
    } catch (const std::exception& e) {
        std::cerr << "quillan-release: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::string(argv[1]) == "keygen")
        return keygen(argc - 1, argv + 1);
    CLI::App cli{"Builds a Quillan release folder OUT from the files in SOURCE (see docs/publishing.md)."};
    ReleaseOptions o;
    std::string source, out, format = "xml";
    std::vector<std::string> components;
    bool dryRun = false;
    cli.add_option("SOURCE", source,
                   "Flat folder of the release's files: programs (.exe), reports (.rpt, "
                   ".rtm), hotfix scripts (.sql), components, other files")
        ->required();
    cli.add_option("OUT", out, "The release folder the office serves (created when missing)")->required();
    cli.add_option("--version", o.version, "The release's version number (VersionNo)")->required();
    cli.add_option("--distributor", o.distributor,
                   "Publish for this distributor code only (a transaction script); default: a master "
                   "script for every distributor");
    cli.add_option("--format", format, "Deploy-script format: xml (default), csv or xls (Excel 97)")
        ->check(CLI::IsMember({"xml", "csv", "xls"}, CLI::ignore_case));
    cli.add_flag("--zip-scripts", o.zipScripts, "Publish the deploy script zipped");
    cli.add_option("--program-path", o.programPath, "Target folder of programs (default App.Path)");
    cli.add_option("--report-path", o.reportPath, "Target folder of reports (default App.Path)");
    cli.add_option("--other-path", o.otherPath, "Target folder of other files (default App.Path)");
    cli.add_option("--component-path", o.componentPath, "Target folder of components (default App.Path)");
    cli.add_option("--register", components, "A file that is a COM component to register (repeatable)")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll)
        ->expected(1);
    cli.add_option(
        "--split-size", o.splitSize,
        "Publish a package larger than this many bytes as a template and pieces (default 0: never)");
    cli.add_option("--package", o.packageName,
                   "The package's file name (default [DISTRIBUTOR_]Release<version>.zip)");
    cli.add_option("--deploy-folder", o.deployFolder, "Folder of the packages below OUT (default Deploy)");
    cli.add_option("--master-folder", o.masterFolder,
                   "Folder of the master scripts below OUT (default Master)");
    cli.add_option("--trans-folder", o.transFolder,
                   "Folder of the transaction scripts below OUT (default Trans)");
    std::string signKey, issued;
    cli.add_option("--sign", signKey,
                   "Sign the release with this secret key file (made by 'quillan-release keygen DIR'): "
                   "a manifest of every file's size and SHA-256 beside the deploy script");
    cli.add_option("--expires-days", o.expiresDays, "Days the signed manifest may be believed (default 30)");
    cli.add_option("--issued", issued,
                   "The manifest's issue time, YYYY-MM-DDTHH:MM:SSZ (default now); the same input and "
                   "times give the same bytes");
    cli.add_flag("--dry-run", dryRun,
                 "Print each file's class, target folder and package, and the deploy script's place; "
                 "write nothing");
    // --version names the release, as it always has: the tool's own version has another name.
    quillan::app::addVersionFlag(cli, "quillan-release", "--tool-version");
    if (const auto end = quillan::app::parseCommandLine(cli, argc, argv))
        return *end;

    o.signKey = signKey;
    if (!issued.empty()) {
        o.issued = quillan::trust::parseUtc(issued);
        if (!o.issued) {
            std::cerr << "quillan-release: --issued " << issued << " is not YYYY-MM-DDTHH:MM:SSZ\n";
            return quillan::app::kUsageExit;
        }
    }
    o.source = source;
    o.out = out;
    o.format = *parseScriptFormat(format);
    o.components.insert(components.begin(), components.end());
    const auto note = [](const std::string& w) { std::cerr << "quillan-release: note: " << w << "\n"; };
    if (dryRun) {
        try {
            const ReleasePlan plan = planRelease(o, note);
            std::cout << "Release " << o.version << " for " << out << " (dry run: nothing is written):\n";
            for (const auto& f : plan.files)
                std::cout << "  " << f.name << " -> " << fileClassName(f.kind) << " -> " << f.target << " -> "
                          << f.package.generic_string() << "\n";
            std::cout << "  deploy script -> " << plan.script.generic_string() << "\n";
        } catch (const std::exception& e) {
            std::cerr << "quillan-release: " << e.what() << std::endl;
            return 1;
        }
        return 0;
    }
    try {
        const auto summary = buildRelease(o, note);
        std::cout << "Release " << o.version << " in " << out << " (" << summary.rows.size()
                  << " rows in the deploy script):\n";
        for (const auto& f : summary.files)
            std::cout << "  " << f.relative.generic_string() << "  " << f.size << " bytes"
                      << (f.unchanged ? "  (published already, unchanged)" : "") << "\n";
    } catch (const std::exception& e) {
        std::cerr << "quillan-release: " << e.what() << std::endl;
        return 1;
    }
    return 0;
}
