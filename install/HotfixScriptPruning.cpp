#include "install/HotfixScriptPruning.h"

#include "base/Machine.h"
#include "install/FinishingStatements.h"
#include "install/RemovingFiles.h"
#include "platform/Text.h"

#include <filesystem>
#include <vector>

namespace quillan {

namespace fs = std::filesystem;

namespace {

bool hasExtension(const std::string& name, const std::string& extension) {
    const auto dot = name.rfind('.');
    return dot != std::string::npos && equalsNoCase(std::string_view(name).substr(dot + 1), extension);
}

} // namespace

void pruneHotfixScripts(Console& c) {
    const auto highest = c.conn->query(highestHotfixScriptQuery(c.state.dbPrefix));
    if (highest.eof() || highest.field("HotfixNo").asInt() == 0)
        return;
    const std::string number = upperCase(highest.field("HotfixNo").textOr("0"));
    const auto extensions =
        usableExtensions(c, prunedExtensionsQuery(c.state.dbPrefix), isPlainExtension,
                         "old hotfix scripts are pruned only by an extension of letters and digits");
    const fs::path folder = c.native(c.state.updateFolder);
    std::error_code ec;
    if (extensions.empty() || trimmed(c.state.updateFolder).empty() || !fs::is_directory(folder, ec))
        return;
    for (const auto& file : c.os.listPlainFiles(folder)) {
        const std::string name = file.filename().string();
        bool listed = false;
        for (const auto& e : extensions)
            listed = listed || hasExtension(name, e);
        const std::string firstWord = name.substr(0, name.find(' '));
        if (listed && number.find(upperCase(firstWord)) == std::string::npos)
            c.os.forceDelete(file);
    }
}

} // namespace quillan
