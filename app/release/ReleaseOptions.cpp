#include "app/release/ReleaseOptions.h"

#include "app/release/FileNames.h"
#include "app/release/ReleaseError.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"
#include "scripts/TplTemplate.h"

#include <algorithm>

namespace quillan::release {

std::optional<ScriptFormat> parseScriptFormat(const std::string& text) {
    const std::string t = lowerCase(text);
    if (t == "xml")
        return ScriptFormat::Xml;
    if (t == "csv")
        return ScriptFormat::Csv;
    if (t == "xls")
        return ScriptFormat::Xls;
    return std::nullopt;
}

std::string scriptExtension(ScriptFormat f) {
    return f == ScriptFormat::Csv ? "csv" : f == ScriptFormat::Xls ? "xls" : "xml";
}

std::string packageNameOf(const ReleaseOptions& o) {
    if (!o.packageName.empty())
        return o.packageName;
    // A transaction release's package carries the code, so that it never meets a master package.
    return (o.distributor.empty() ? "" : o.distributor + "_") + "Release" + std::to_string(o.version) +
           ".zip";
}

std::vector<std::string> optionProblems(const ReleaseOptions& o) {
    std::vector<std::string> p;
    if (o.version <= 0)
        p.push_back("the version must be a number greater than 0 (it is VersionNo)");
    if (!o.distributor.empty()) {
        if (const auto why = whyNotDistributorCode(o.distributor); !why.empty())
            p.push_back("distributor code '" + o.distributor + "' " + why);
    }
    const std::string package = packageNameOf(o);
    if (const auto why = whyNotCarriable(package); !why.empty())
        p.push_back("package name '" + package + "' " + why);
    else if (extensionOf(package) != "ZIP")
        p.push_back("package name '" + package + "' must end with .zip");
    for (const auto* folder : {&o.deployFolder, &o.masterFolder, &o.transFolder})
        if (!isPlainFileName(*folder))
            p.push_back("folder name '" + *folder +
                        "' must be one plain folder name below the release folder");
    if (o.splitSize > 0 && o.splitSize + tpl::kPieceHeaderBytes > UINT32_MAX)
        p.push_back("the split size must be below 4 GB: a piece records its length in 32 bits");
    for (const auto* path : {&o.programPath, &o.reportPath, &o.otherPath, &o.componentPath})
        if (trimmed(*path).empty() || std::any_of(path->begin(), path->end(), [](char ch) {
                return static_cast<unsigned char>(ch) < 0x20;
            }))
            p.push_back("target folder '" + *path + "' must be a folder text without tabs or line ends");
    // The manifest must not outlive the key that signed it by much, nor expire before it arrives.
    if (!o.signKey.empty() && (o.expiresDays < 1 || o.expiresDays > 3650))
        p.push_back("--expires-days must be a number of days from 1 to 3650");
    return p;
}

void checkOptions(const ReleaseOptions& o) {
    throwProblems(optionProblems(o));
}

} // namespace quillan::release
