#include "transfer/Ftp.h"

#include "platform/Text.h"

#include "base/Progress.h"
#include "transfer/ByteSizeText.h"
#include "transfer/RemoteName.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <filesystem>

namespace quillan {

namespace {

using transfer::CurlFtpClient;
using transfer::FtpEndpoint;
using transfer::RemoteEntry;

FtpEndpoint endpointOf(const Console& c) {
    return FtpEndpoint::parse(c.state.serverPath, c.state.ftpUser, c.state.ftpPassword);
}

// Joins remote folders with one "/" between them and a "/" at the end.
std::string joinRemote(const std::string& folder, std::string sub) {
    std::replace(sub.begin(), sub.end(), '\\', '/');
    std::string joined = (!sub.empty() && sub.front() == '/') ? sub : folder + "/" + sub;
    std::string out;
    for (char ch : joined)
        if (!(ch == '/' && !out.empty() && out.back() == '/'))
            out += ch;
    if (out.empty() || out.front() != '/')
        out.insert(out.begin(), '/');
    if (out.back() != '/')
        out += '/';
    return out;
}

Row progressRow(const FtpSession& s) {
    return s.ftpScriptMode ? Row::ScriptDownload : Row::ProgramDownload;
}

void setRow(Console& c, Row index, RowStatus status, int value, int max, const std::string& percent) {
    ChecklistRow r = c.model.checklist(index);
    r.status = status;
    r.barValue = value;
    r.barMax = max;
    r.barVisible = false;
    r.percentText = percent;
    c.model.setChecklist(index, r);
}

void connectedRow(Console& c) {
    setRow(c, Row::ConnectionCheck, RowStatus::Completed, 100, 100, percentText(100, 100));
}

// The status reports of a transfer: connection steps into the flood display, bytes received
// into the progress row while a download runs.
transfer::FtpHooks hooksFor(Console& c) {
    transfer::FtpHooks h;
    h.onConnect = [&c](transfer::ConnectEvent e, const std::string& info) {
        switch (e) {
        case transfer::ConnectEvent::Resolving:
            FloodShowConnectAction(c, "Looking up the IP address for " + info);
            break;
        case transfer::ConnectEvent::Resolved:
            FloodShowConnectAction(c, "Name resolved " + info);
            break;
        case transfer::ConnectEvent::Connecting:
            FloodShowConnectAction(c, "Connecting to server..." + info);
            break;
        case transfer::ConnectEvent::Connected:
            FloodShowConnectAction(c, "Connected to " + info);
            break;
        }
    };
    h.onProgress = [&c](std::uint64_t received, std::uint64_t) {
        FtpSession& s = ftpSession(c);
        s.bytesReceived = static_cast<double>(received);
        if (s.transferState != 3)
            return;
        double value = std::min(s.bytesReceived, s.expectedSize);
        Row row = progressRow(s);
        const ChecklistRow& current = c.model.checklist(row);
        int units = static_cast<int>(value / static_cast<double>(s.barDivisor));
        // The model is told only when the bar moves by a thousandth, or reaches its end.
        int grain = std::max(1, current.barMax / 1000);
        if (units == current.barValue || (units - current.barValue < grain && units != current.barMax))
            return;
        setRowValue(c, row, units);
        c.model.processEvents();
    };
    h.cancel = [&c] { return c.programEnded(); };
    return h;
}

bool downloadListItem(Console& c, const std::string& item, const std::string& localName) {
    ResetTransferState(c);
    FtpSession& s = ftpSession(c);
    if (!s.login)
        return false;
    std::string folder = FtpCurrentFolder(c);
    std::string name = ListItemFileName(item);
    if (!transfer::isSafeRemoteName(name) || !transfer::isSafeRemoteName(localName)) {
        s.lastErrorText = "Refused file name " + name;
        return false;
    }
    std::string pattern = s.ftpScriptMode ? c.state.filePattern : "*.zip";
    std::string folderText = s.ftpScriptMode ? c.state.deployInFolder : c.state.updateFolder;
    if (folderText.empty() || folderText.back() != '\\')
        folderText += "\\";
    std::string localText = folderText + localName;

    CurlFtpClient search(s.login->endpoint());
    auto entries = search.list(folder);
    if (!entries)
        return false;
    const RemoteEntry* firstMatch = nullptr;
    const RemoteEntry* named = nullptr;
    for (const auto& e : *entries) {
        if (e.directory)
            continue;
        if (firstMatch == nullptr && transfer::wildcardMatch(pattern, e.name))
            firstMatch = &e;
        if (named == nullptr && e.name == name)
            named = &e;
    }
    if (firstMatch == nullptr)
        return false; // nothing matches the pattern: no transfer
    // The file's own record gives the size to expect; the first match only stands in when the
    // file is not listed (the transfer then fails on the server's answer).
    bool ok = FtpGetFileToLocal(c, folder + name, localText, named != nullptr ? *named : *firstMatch, true);
    FloodShowTransferResult(c, ok, name);
    std::error_code ec;
    return ok && std::filesystem::exists(c.native(folderText) / localName, ec);
}

} // namespace

FtpSession& ftpSession(const Console& c) {
    return transferSession(c).ftp;
}

std::string ListItemFileName(const std::string& item) {
    return item.substr(0, item.find('\t'));
}

void ResetTransferState(Console& c) {
    FtpSession& s = ftpSession(c);
    s.lastErrorText.clear();
    s.bytesReceived = 0;
}

std::string FtpCurrentFolder(Console& c) {
    const FtpSession& s = ftpSession(c);
    if (!s.login || s.currentFolder.empty())
        return {};
    std::string folder = s.currentFolder.substr(0, s.currentFolder.find('\0'));
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool FtpSetCurrentFolder(Console& c, const std::string& folder) {
    FtpSession& s = ftpSession(c);
    if (!s.login)
        return false;
    std::string target = joinRemote(FtpCurrentFolder(c), folder);
    if (!s.login->folderExists(target)) {
        s.lastErrorText = s.login->lastError().text();
        return false;
    }
    s.currentFolder = target;
    return true;
}

void FloodShowConnectAction(Console& c, const std::string& text) {
    ftpSession(c).floodText = text;
    c.model.processEvents();
}

void FloodShowTransferResult(Console& c, bool success, const std::string& name) {
    ftpSession(c).floodText =
        success ? "Transfer of " + name + " completed successfully." : "Transfer of " + name + " failed.";
    c.model.processEvents();
}

void FloodDisplay(Console& c, double total, const std::string& caption) {
    FtpSession& s = ftpSession(c);
    s.floodText.clear();
    s.floodCaption = caption;
    // The bar counts bytes; a file larger than its range is counted in larger units.
    s.barDivisor = 1;
    while (total / static_cast<double>(s.barDivisor) > static_cast<double>(INT_MAX))
        s.barDivisor *= 1024;
    Row row = progressRow(s);
    ChecklistRow r = c.model.checklist(row);
    r.barMax = static_cast<int>(total / static_cast<double>(s.barDivisor));
    r.barValue = 0;
    r.percentText = "0";
    c.model.setChecklist(row, r);
}

bool FtpLogin(Console& c) {
    bool result = false;
    FtpSession& s = ftpSession(c);
    try {
        setRow(c, Row::ConnectionCheck, RowStatus::InProgress, 0, 100, rowPercent(c, Row::ConnectionCheck));
        // Every check opens a new connection; the previous one is closed.
        s.login.reset();
        s.currentFolder.clear();
        auto client = std::make_unique<CurlFtpClient>(endpointOf(c));
        client->setHooks(hooksFor(c));
        if (client->login()) {
            s.currentFolder = client->entryFolder();
            s.login = std::move(client);
            result = true;
        } else {
            s.lastErrorText = client->lastError().text();
        }
        c.state.ftpConnected = result;
        if (result) {
            connectedRow(c);
        } else {
            setRow(c, Row::ConnectionCheck, RowStatus::Failed, 0, 100, "0 %");
            // The reason, so that the log shown next tells the operator why.
            c.log.line(">>-" + s.lastErrorText);
            ErrorDisplay(c);
            if (c.op.askYesNo(Question::Server, "Unable to Connect to FTP, Still Do you want to Continue")) {
                connectedRow(c);
                result = true;
            }
        }
        if (!c.state.isLocalServer) {
            connectedRow(c);
            result = true;
        }
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in FTP Login");
    }
    c.state.ftpConnected = result;
    return result;
}

void FtpListFolder(Console& c, const std::string& server, const std::string& user,
                   const std::string& password, const std::string& filter) {
    FtpSession& s = ftpSession(c);
    s.LstFTPFiles.clear();
    std::string folder = FtpCurrentFolder(c);
    if (folder != "/")
        s.LstFTPFiles.push_back("..");
    if (folder.empty())
        return; // no login connection: nothing to search
    CurlFtpClient search(FtpEndpoint::parse(server, user, password));
    auto entries = search.list(folder);
    if (!entries) {
        s.lastErrorText = search.lastError().text();
        return;
    }
    const std::string wanted = upperCase(filter);
    for (const auto& e : *entries) {
        if (e.directory || !transfer::isSafeRemoteName(e.name))
            continue; // a name that could leave the local folder is never offered
        if (s.ftpScriptMode || upperCase(e.name) == wanted)
            s.LstFTPFiles.push_back(e.name + "\t" + transfer::byteSizeText(e.size));
    }
    c.model.processEvents();
}

void OpenFtpDeployFolder(Console& c, const std::string& filter) {
    FtpSession& s = ftpSession(c);
    s.LstFTPFiles.clear();
    // The deploy folder always lies below the current one, even when it is written with a
    // leading "/": the texts are joined as they are, and doubled separators collapse.
    FtpSetCurrentFolder(c, FtpCurrentFolder(c) + c.state.deployServerPath);
    FtpListFolder(c, c.state.serverPath, c.state.ftpUser, c.state.ftpPassword, filter);
}

bool FtpGetFileToLocal(Console& c, const std::string& remote, const std::string& local,
                       const transfer::RemoteEntry& record, bool failIfExists) {
    FtpSession& s = ftpSession(c);
    if (!s.login)
        return false;
    s.expectedSize = static_cast<double>(record.size);
    FloodDisplay(c, s.expectedSize, "Downloading " + remote + " to " + local);
    auto cut = local.find_last_of('\\');
    std::filesystem::path target =
        cut == std::string::npos ? c.native(local) : c.native(local.substr(0, cut)) / local.substr(cut + 1);
    s.transferState = 3;
    s.login->setHooks(hooksFor(c));
    std::optional<std::uint64_t> expected;
    if (record.sizeKnown)
        expected = record.size;
    bool ok = s.login->download(remote, target, expected, failIfExists);
    if (!ok)
        s.lastErrorText = s.login->lastError().text();
    s.transferState = 0;
    return ok;
}

bool DownloadFtpListItem(Console& c, const std::string& item) {
    return downloadListItem(c, item, ListItemFileName(item));
}

bool DownloadFromFtp(Console& c, const std::string& name) {
    bool result = false;
    try {
        if (!transfer::isSafeRemoteName(name)) {
            c.log.line(">>-" + name + " is not a plain file name in Download from FTP");
            return false;
        }
        std::error_code ec;
        auto present = resolveCase(c.native(c.state.updateFolder) / name);
        if (std::filesystem::is_regular_file(present, ec)) {
            c.log.line(">>-" + present.filename().string() + " already available in the local folder ");
            return true;
        }
        if (!FtpLogin(c))
            return false;
        OpenFtpDeployFolder(c, name);
        FtpSession& s = ftpSession(c);
        if (s.LstFTPFiles.empty()) {
            c.log.line(">>-" + name + " Not Available in the FTP ");
            return false;
        }
        const std::vector<std::string> items = s.LstFTPFiles;
        for (const auto& item : items) {
            if (trimmed(item) == "..")
                continue;
            // The listing holds the server's spelling; the package keeps the name it was asked by.
            std::string remoteName = ListItemFileName(item);
            std::string localName = equalsNoCase(remoteName, name) ? name : remoteName;
            if (downloadListItem(c, item, localName)) {
                c.log.line(">>-Downloaded " + item + " from FTP");
                const ChecklistRow& r = c.model.checklist(Row::ProgramDownload);
                setRowValue(c, Row::ProgramDownload, r.barMax);
                result = true;
            } else {
                c.log.line(">>-Unable to downloaded the File " + item + " from FTP");
                if (!s.lastErrorText.empty())
                    c.log.line(">>-" + s.lastErrorText);
                result = false;
            }
        }
    } catch (const std::exception& e) {
        c.log.line(">>-" + std::string(e.what()) + " in Download from FTP");
    }
    return result;
}

} // namespace quillan
