// The FTP path of the deploy-script download: one family's server folder, listed in script mode
// (every file), each new name of the family fetched into deployInFolder and recorded.
#include "scripts/ScriptDownload.h"

#include "platform/Text.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "scripts/FetchedScripts.h"
#include "scripts/ReleaseTrust.h"
#include "scripts/ScriptNames.h"
#include "scripts/ScriptVerification.h"
#include "transfer/Ftp.h"
#include "trust/Manifest.h"

#include <filesystem>
#include <stdexcept>

namespace quillan {

namespace fs = std::filesystem;

bool FillFilesinList(Console& c, FtpSession& s, const std::string& pattern, const std::string& serverFolder) {
    try {
        s.LstFTPFiles.clear();
        const std::string current = FtpCurrentFolder(s);
        const std::string target = (!current.empty() && current.back() == '/') ? current + serverFolder
                                                                               : current + "/" + serverFolder;
        s.lastErrorText.clear();
        if (!FtpSetCurrentFolder(s, target)) {
            const std::string why = !s.lastErrorText.empty() ? s.lastErrorText
                                    : !s.login               ? "not logged in to the FTP server"
                                                             : "";
            throw std::runtime_error("The FTP folder " + target + " cannot be entered" +
                                     (why.empty() ? "" : ": " + why));
        }
        FtpListFolder(c, s, c.state.serverPath, c.state.ftpUser, c.state.ftpPassword, pattern);
        if (!s.lastErrorText.empty())
            throw std::runtime_error("The FTP folder " + target + " cannot be listed: " + s.lastErrorText);
        return true;
    } catch (const std::exception& e) {
        const std::string text = std::string(e.what()) + " in FillFilesinList";
        c.log.line(">>" + text);
        c.op.inform(text);
        return false;
    }
}

namespace {

// Fetches the manifest listed beside a fetched script and checks both; false after a refusal.
bool admitFetchedScript(Console& c, FtpSession& s, const std::vector<std::string>& keys,
                        const std::vector<std::string>& entries, const std::string& name, bool master) {
    const std::string manifestName = trust::manifestFileNameOf(name);
    const fs::path folder = c.native(c.state.deployInFolder);
    std::error_code ec; // only the manifest published now may vouch for the script
    fs::remove(folder / manifestName, ec);
    for (const auto& item : entries)
        if (equalsNoCase(ListItemFileName(item), manifestName) && !DownloadFtpListItem(c, s, item))
            c.log.line(">>Unable to download " + manifestName + ": " + s.lastErrorText);
    return admitArrivedScript(c, keys, {name, folder / name, folder / manifestName, master});
}

} // namespace

bool DownLoadFTPScriptFile(Console& c, FtpSession& s, const std::string& serverFolder,
                           const std::string& kind) {
    const bool master = upperCase(kind) == "MAST";
    try {
        // A failed log-in once returned True here, so the phase showed a download that never ran.
        if (!FtpLogin(c, s))
            return false;
        if (!FillFilesinList(c, s, c.state.filePattern, serverFolder))
            return false;
        // The listing puts ".." first in a sub-folder; every other entry is a file of the folder.
        std::vector<std::string> entries;
        for (const auto& item : s.LstFTPFiles)
            if (trimmed(item) != "..")
                entries.push_back(item);
        if (entries.empty())
            c.log.line(master ? ">>File Not Found in Master Server Folder"
                              : ">>File Not Found in Transaction Server Folder");
        const ScriptFamily family = master ? ScriptFamily::Master : ScriptFamily::Transaction;
        const auto keys = trustedKeys(c);
        for (const auto& item : entries) {
            const std::string name = ListItemFileName(item);
            // A manifest comes with its script, never as one.
            if (name.empty() || trust::isManifestFileName(name) || alreadyFetched(c, name) ||
                !isScriptOfFamily(name, family, c.state.distributorCode))
                continue;
            if (!acceptServerName(c, name))
                continue;
            if (!DownloadFtpListItem(c, s, item)) {
                // Not recorded: the next run tries it again.
                c.log.line(">>Unable to download " + name + ": " + s.lastErrorText);
                continue;
            }
            if (!keys.empty() && !admitFetchedScript(c, s, keys, entries, name, master))
                return false;
            recordFetched(c, name, master);
            showStatusNote(c, std::string(master ? "Importing Master file " : "Importing Transcation file ") +
                                  name);
            c.log.line(">>Downloaded File " + name);
            ChecklistRow r = c.model.checklist(Row::ScriptDownload);
            r.percentText = "100 %";
            c.model.setChecklist(Row::ScriptDownload, r);
        }
        return true;
    } catch (const std::exception& e) {
        const std::string text = std::string(e.what()) + " In DownLoadFTPScriptFile";
        c.log.line(">>" + text);
        c.op.inform(text);
        return false;
    }
}

} // namespace quillan
