#include "transfer/Ftp.h"

#include "platform/Text.h"

#include "base/Progress.h"
#include "transfer/ByteSizeText.h"
#include "transfer/InstallationSecurity.h"
#include "transfer/RemoteName.h"
#include "transfer/TransferRow.h"

#include <algorithm>
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

void connectedRow(Console& c) {
    setTransferRow(c, Row::ConnectionCheck, RowStatus::Completed, 100);
}

// The connection steps once drew texts into a picture that is never shown; what remains of them
// is the chance for the window to repaint.
transfer::FtpHooks connectHooks(Console& c) {
    transfer::FtpHooks h;
    h.onConnect = [&c](transfer::ConnectEvent, const std::string&) { c.model.processEvents(); };
    h.cancel = [&c] { return c.programEnded(); };
    return h;
}

// The connect hooks, plus the bytes received moving `bar` while the download runs.
transfer::FtpHooks downloadHooks(Console& c, FtpSession& s, ByteProgress& bar) {
    transfer::FtpHooks h = connectHooks(c);
    h.onProgress = [&s, &bar](std::uint64_t received, std::uint64_t) {
        s.bytesReceived = static_cast<double>(received);
        if (s.transferState == 3)
            bar.report(received);
    };
    return h;
}

bool downloadListItem(Console& c, FtpSession& s, const std::string& item, const std::string& localName) {
    ResetTransferState(s);
    if (!s.login) {
        s.lastErrorText = "Not logged in to the FTP server";
        return false;
    }
    std::string folder = FtpCurrentFolder(s);
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

    CurlFtpClient search(s.login->endpoint(), transfer::TransferLimits::current(), transportSecurityOf(c));
    auto entries = search.list(folder);
    if (!entries) {
        s.lastErrorText = search.lastError().summary();
        return false;
    }
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
    if (firstMatch == nullptr) {
        s.lastErrorText = "No file matching " + pattern + " in " + folder; // no transfer
        return false;
    }
    // The file's own record gives the size to expect; the first match only stands in when the
    // file is not listed (the transfer then fails on the server's answer).
    bool ok =
        FtpGetFileToLocal(c, s, folder + name, localText, named != nullptr ? *named : *firstMatch, true);
    c.model.processEvents(); // where the transfer's outcome was drawn into the hidden picture
    std::error_code ec;
    if (ok && !std::filesystem::exists(c.native(folderText) / localName, ec)) {
        s.lastErrorText = localText + " is missing after the transfer";
        return false;
    }
    return ok;
}

} // namespace

std::string ListItemFileName(const std::string& item) {
    return item.substr(0, item.find('\t'));
}

void ResetTransferState(FtpSession& s) {
    s.lastErrorText.clear();
    s.bytesReceived = 0;
}

std::string FtpCurrentFolder(const FtpSession& s) {
    if (!s.login || s.currentFolder.empty())
        return {};
    std::string folder = s.currentFolder.substr(0, s.currentFolder.find('\0'));
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

bool FtpSetCurrentFolder(FtpSession& s, const std::string& folder) {
    if (!s.login)
        return false;
    std::string target = joinRemote(FtpCurrentFolder(s), folder);
    if (!s.login->folderExists(target)) {
        s.lastErrorText = s.login->lastError().summary();
        return false;
    }
    s.currentFolder = target;
    return true;
}

ByteProgress FloodDisplay(Console& c, const FtpSession& s, std::uint64_t total) {
    ByteProgress bar(c, progressRow(s), total);
    bar.start("0");
    return bar;
}

bool FtpLogin(Console& c, FtpSession& s) {
    bool result = false;
    try {
        setTransferRow(c, Row::ConnectionCheck, RowStatus::InProgress, 0);
        // Every check opens a new connection; the previous one is closed.
        s.login.reset();
        s.currentFolder.clear();
        auto client = std::make_unique<CurlFtpClient>(endpointOf(c), transfer::TransferLimits::current(),
                                                      transportSecurityOf(c));
        client->setHooks(connectHooks(c));
        if (client->login()) {
            s.currentFolder = client->entryFolder();
            s.login = std::move(client);
            result = true;
        } else {
            s.lastErrorText = client->lastError().summary();
        }
        c.state.ftpConnected = result;
        if (result) {
            connectedRow(c);
        } else {
            setTransferRow(c, Row::ConnectionCheck, RowStatus::Failed, 0);
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

void FtpListFolder(Console& c, FtpSession& s, const std::string& server, const std::string& user,
                   const std::string& password, const std::string& filter) {
    s.LstFTPFiles.clear();
    std::string folder = FtpCurrentFolder(s);
    if (folder != "/")
        s.LstFTPFiles.push_back("..");
    if (folder.empty())
        return; // no login connection: nothing to search
    CurlFtpClient search(FtpEndpoint::parse(server, user, password), transfer::TransferLimits::current(),
                         transportSecurityOf(c));
    auto entries = search.list(folder);
    if (!entries) {
        s.lastErrorText = search.lastError().summary();
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

void OpenFtpDeployFolder(Console& c, FtpSession& s, const std::string& filter) {
    s.LstFTPFiles.clear();
    // The deploy folder always lies below the current one, even when it is written with a
    // leading "/": the texts are joined as they are, and doubled separators collapse.
    FtpSetCurrentFolder(s, FtpCurrentFolder(s) + c.state.deployServerPath);
    FtpListFolder(c, s, c.state.serverPath, c.state.ftpUser, c.state.ftpPassword, filter);
}

bool FtpGetFileToLocal(Console& c, FtpSession& s, const std::string& remote, const std::string& local,
                       const transfer::RemoteEntry& record, bool failIfExists) {
    if (!s.login) {
        s.lastErrorText = "Not logged in to the FTP server";
        return false;
    }
    ByteProgress bar = FloodDisplay(c, s, record.size);
    auto cut = local.find_last_of('\\');
    std::filesystem::path target =
        cut == std::string::npos ? c.native(local) : c.native(local.substr(0, cut)) / local.substr(cut + 1);
    s.transferState = 3;
    s.login->setHooks(downloadHooks(c, s, bar));
    std::optional<std::uint64_t> expected;
    if (record.sizeKnown)
        expected = record.size;
    auto& digests = c.state.run.downloadDigests;
    s.login->hashDownloads(digests.wanted);
    bool ok = s.login->download(remote, target, expected, failIfExists);
    if (!ok)
        s.lastErrorText = s.login->lastError().summary();
    else if (s.login->lastSha256())
        digests.remember(target, *s.login->lastSha256());
    s.login->setHooks(connectHooks(c)); // the bar goes out of scope
    s.transferState = 0;
    return ok;
}

bool DownloadFtpListItem(Console& c, FtpSession& s, const std::string& item) {
    return downloadListItem(c, s, item, ListItemFileName(item));
}

bool DownloadFromFtp(Console& c, FtpSession& s, const std::string& name) {
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
        if (!FtpLogin(c, s))
            return false;
        OpenFtpDeployFolder(c, s, name);
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
            if (downloadListItem(c, s, item, localName)) {
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
