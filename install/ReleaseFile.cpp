#include "install/ReleaseFile.h"

#include "base/InstallationFolder.h"
#include "base/ReturnFolder.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"

#include <system_error>

namespace quillan {

namespace {

std::optional<ReleaseFile> refused(Console& c, const std::string& why) {
    c.log.line(">>-" + why);
    c.state.run.runFailed = true;
    return std::nullopt;
}

std::optional<ReleaseFile> checkedReleaseFile(Console& c, const db::Recordset& rs, std::string& why) {
    ReleaseFile f;
    f.name = rs.field("File_Names").textOr("");
    f.filePath = rs.field("File_Path").textOr("");
    if (!isPlainFileName(f.name)) {
        why = "'" + f.name + "' is not a plain file name: refused";
        return std::nullopt;
    }
    f.folder = ReturnFolder(c, f.filePath);
    if (const std::string outside = folderOutsideInstallation(c, f.folder); !outside.empty()) {
        why = "The folder '" + f.filePath + "' of " + f.name + " is refused: " + outside;
        return std::nullopt;
    }
    return f;
}

} // namespace

std::optional<ReleaseFile> releaseFile(Console& c, const db::Recordset& rs) {
    std::string why;
    auto f = checkedReleaseFile(c, rs, why);
    return f ? f : refused(c, why);
}

std::optional<ReleaseFile> releaseFileQuietly(Console& c, const db::Recordset& rs) {
    std::string why;
    return checkedReleaseFile(c, rs, why);
}

std::string locationLabel(const Console& c, const ReleaseFile& f) {
    const std::string first = f.filePath.substr(0, f.filePath.find('\\'));
    return upperCase(trimmed(first)) == "APP.PATH" ? c.state.appPath : f.folder;
}

bool fileExists(const Console& c, const std::string& windowsPath) {
    std::error_code ec;
    return std::filesystem::is_regular_file(c.native(windowsPath), ec);
}

} // namespace quillan
