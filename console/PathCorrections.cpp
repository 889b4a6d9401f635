#include "console/PathCorrections.h"

#include "base/InstallationFolder.h"
#include "base/Machine.h"
#include "base/ReturnFolder.h"
#include "console/DownloadStatements.h"
#include "platform/PlainFileName.h"
#include "platform/Text.h"

#include <filesystem>
#include <system_error>

namespace quillan {
namespace fs = std::filesystem;

namespace {

// A recorded folder as this machine sees it: "App.Path..." is the application folder.
bool folderExists(Console& c, const std::string& filePath) {
    const std::string folder = ReturnFolder(c, filePath);
    std::error_code ec;
    return !folder.empty() && fs::is_directory(c.native(folder), ec);
}

// Without a system drive the corrected path would begin with "\Program Files (x86)": no drive.
void correctReportRuntime(Console& c, const std::string& drive) {
    if (drive.empty())
        return;
    auto rs = c.conn->query(reportRuntimeFolderQuery(c.state.dbPrefix));
    if (!rs.eof() && !folderExists(c, rs.field("File_Path").textOr("")))
        c.conn->execute(reportRuntimeFolderCorrection(c.state.dbPrefix, drive));
}

// Creates each program's folder (one level) and makes a program about to be replaced writable.
void prepareProgramFolders(Console& c) {
    auto rs = c.conn->query(programFoldersQuery(c.state.dbPrefix));
    for (; !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("File_Names").textOr("");
        const std::string folder = ReturnFolder(c, rs.field("File_Path").textOr(""));
        if (folder.empty())
            continue;
        if (const std::string outside = folderOutsideInstallation(c, folder); !outside.empty()) {
            c.log.line(">>-The folder '" + folder + "' of " + name + " is not created: " + outside);
            continue;
        }
        const fs::path target = c.native(folder);
        std::error_code ec;
        if (!fs::is_directory(target, ec) && !fs::create_directory(target, ec) && ec)
            c.log.line(">>-" + ec.message() + " creating " + folder);
        if (!isPlainFileName(name))
            continue;
        if (fs::is_regular_file(c.native(c.state.updateFolder + "\\" + name), ec) &&
            fs::is_regular_file(c.native(folder + "\\" + name), ec)) {
            try {
                c.os.clearFileAttributes(c.native(folder + "\\" + name));
            } catch (const std::exception&) {
                // the replacement reports a program it cannot write
            }
        }
    }
}

} // namespace

void PathCorrections(Console& c) {
    const std::string drive(trimmed(c.state.systemDrive));
    if (!drive.empty())
        c.conn->execute(systemDriveCorrection(c.state.dbPrefix, drive));
    correctReportRuntime(c, drive);
    prepareProgramFolders(c);
}

} // namespace quillan
