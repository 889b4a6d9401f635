#pragma once
// A complete sample installation on the embedded database engine: a program folder in which
// start-up succeeds, for the demo and the end-to-end tests. Options leave out or change single
// settings so that every start-up outcome can be produced.
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillan::sample {

enum class Mode { Http, Ftp, Lan }; // Lan: HTTP settings, database server on another machine

struct SampleOptions {
    std::filesystem::path folder; // the program folder; mapped as drive C:, so its Windows text is "C:\"
    Mode mode = Mode::Http;
    // Left out: "seqno30" ... "seqno40" (configuration rows), "format", "zip" (the mode's format
    // and zip rows), "distributor" (its row), "logo", "images" (status pictures), "ini" (settings file).
    std::set<std::string> without;
    std::set<std::string> blank;        // "seqno31" ... "seqno40": a Condition of blanks only
    std::optional<std::string> notice;  // a DeploymentMessage row with DStatus 1
    std::optional<int> fnSetupDetails3; // FN_SetupDetails(3); default 1, or 0 with a notice
    std::optional<int> transferMode;    // seqno 30 Status instead of the mode's 1 or 2
    int fileFormat = 0;                 // 0 Xml, 1 Csv, 2 Xls
    bool zipped = false;
    std::string serverPath;    // seqno 31; empty: a default for the mode
    std::string webServiceUrl; // seqno 40; empty: a default
    // The server's folders (seqno 32 packages, 38 master scripts, 39 transaction scripts), each
    // appended to the server path as it stands; empty: a default.
    std::string deployPath, masterPath, transPath;
    std::filesystem::path assets; // the pictures and the logo; empty: the source tree's assets/images
};

// Names accepted by `without` and `blank`.
const std::set<std::string>& omissibleSettings();

// Builds the installation. The folder must not exist or be empty. Throws std::runtime_error.
void makeSampleInstallation(const SampleOptions& options);

std::optional<Mode> parseMode(const std::string& text);

} // namespace quillan::sample
