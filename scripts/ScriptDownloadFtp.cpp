// The FTP path of the deploy-script download: one family's server folder, listed in script mode
// (every file), each new name of the family fetched into deployInFolder and recorded.
#include "scripts/ScriptDownload.h"

#include "platform/Text.h"

#include "base/Progress.h"
#include "base/StatusLine.h"
#include "scripts/FetchedScripts.h"
#include "scripts/ScriptNames.h"
#include "transfer/Ftp.h"

#include <stdexcept>

namespace quillan {

bool FillFilesinList(Console& c, FtpSession& s, const std::string& pattern, const std::string& serverFolder) {
    try {
        s.LstFTPFiles.clear();
        const std::string current = FtpCurrentFolder(s);
        const std::string target = (!current.empty() && current.back() == '/') ? current + serverFolder
                                                                               : current + "/" + serverFolder;
        s.lastErrorText.clear();
        if (!FtpSetCurrentFolder(s, target))
            throw std::runtime_error("The FTP folder " + target + " cannot be entered: " + s.lastErrorText);
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
        for (const auto& item : entries) {
            const std::string name = ListItemFileName(item);
            if (name.empty() || alreadyFetched(c, name) ||
                !isScriptOfFamily(name, family, c.state.distributorCode))
                continue;
            if (!acceptServerName(c, name))
                continue;
            if (!DownloadFtpListItem(c, s, item)) {
                // Not recorded: the next run tries it again.
                c.log.line(">>Unable to download " + name + ": " + s.lastErrorText);
                continue;
            }
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
