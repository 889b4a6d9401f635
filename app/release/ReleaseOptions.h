#pragma once
// What the central office says about a release: where its files are, its version, whom it is for,
// the target folder of each class of file, which files are components, the deploy-script format
// and the size above which a package is published in pieces.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillan::release {

// The formats the console's import reads and this tool writes.
enum class ScriptFormat { Xml, Csv, Xls };

std::optional<ScriptFormat> parseScriptFormat(const std::string& text); // "xml", "csv", "xls" (any case)
std::string scriptExtension(ScriptFormat f);                            // "xml", "csv", "xls"

struct ReleaseOptions {
    std::filesystem::path source; // a flat folder of the release's files
    std::filesystem::path out;    // the release folder the office serves
    int version = 0;              // VersionNo, greater than 0
    std::string distributor;      // empty: a master script for every distributor
    ScriptFormat format = ScriptFormat::Xml;
    bool zipScripts = false;
    // Target folders (File_Path) per class: "App.Path..." is below the application folder.
    std::string programPath = "App.Path";
    std::string reportPath = "App.Path";
    std::string otherPath = "App.Path";
    std::string componentPath = "App.Path";
    std::set<std::string> components; // file names registered as COM components (RegRequired 1)
    std::uint64_t splitSize = 0;      // 0: never split; else packages over it go out in pieces
    std::string packageName;          // empty: "[<distributor>_]Release<version>.zip"
    // Folders below `out`: the packages (also the LAN share's content), the two script families.
    std::string deployFolder = "Deploy";
    std::string masterFolder = "Master";
    std::string transFolder = "Trans";
    // Signing: the office's secret key file (empty: no manifest), how long the manifest may be
    // believed, and its issue time (seconds since 1970, UTC; none: now).
    std::filesystem::path signKey;
    int expiresDays = 30;
    std::optional<std::int64_t> issued;
};

// The package's name: the option, or "Release<version>.zip" ("<distributor>_Release<version>.zip"
// for a transaction release).
std::string packageNameOf(const ReleaseOptions& o);

// Throws ReleaseError for an option the console could not use (a version of 0, a distributor code
// that the naming rule cannot carry, a package name that is not a ".zip" file name, folder names
// that are not plain, a split size that a piece cannot carry).
void checkOptions(const ReleaseOptions& o);
// The same problems as a list (empty: none), for reporting them with the source folder's.
std::vector<std::string> optionProblems(const ReleaseOptions& o);

} // namespace quillan::release
