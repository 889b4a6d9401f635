#include "console/ProgramDownload.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "base/StatusLine.h"
#include "console/DownloadStatements.h"
#include "platform/PlainFileName.h"
#include "scripts/ReleaseTrust.h"
#include "transfer/Ftp.h"
#include "transfer/Http.h"
#include "transfer/Lan.h"

#include <cmath>
#include <filesystem>
#include <iomanip>
#include <sstream>
#include <system_error>

namespace quillan {
namespace fs = std::filesystem;

namespace {

constexpr Row kRow = Row::ProgramDownload;
constexpr const char* kDownloading = "Downloading new program";
constexpr const char* kFromLan = "Downloading new program from LAN";

// The row's bar at 0 and hidden, its percent label hidden with the given text.
void hideBar(Console& c, const std::string& percent) {
    ChecklistRow r = c.model.checklist(kRow);
    r.barValue = 0;
    r.barVisible = false;
    r.percentText = percent;
    r.percentVisible = false;
    c.model.setChecklist(kRow, r);
}

// A package's grid row; in progress, its "Status %" cell follows the download's percent label.
void grid(Console& c, int row, const std::string& event, const std::string& name, int status) {
    LoadToGrid(c, row, event, name, status, rowPercent(c, kRow));
    if (status == 2)
        c.model.followInGrid(row, kRow);
}

// A package that could not be fetched: the row failed with "0 %" on its hidden label; the grid
// row, which followed the download, keeps the percent it had reached.
void failPackage(Console& c, int row, const std::string& event, const std::string& name,
                 const std::string& labelText) {
    failRow(c, kRow);
    hideBar(c, labelText);
    grid(c, row, event, name, 4);
}

void advanceBar(Console& c) {
    setRowValue(c, kRow, c.model.checklist(kRow).barValue + 1);
}

std::string localPath(const Console& c, const std::string& name) {
    return c.state.updateFolder + "\\" + name;
}

// Shows the size of a package that is on disk; a missing one would only bring a "File not found"
// box to an unattended run.
void sizeDisplay(Console& c, const std::string& name) {
    std::error_code ec;
    if (!isPlainFileName(name) || !fs::is_regular_file(c.native(localPath(c, name)), ec))
        return;
    c.model.setPanel(true, 3, megabytesText(GetDownLoadFileSize(c, localPath(c, name), 2)));
}

// The bytes are recorded only when the package is exactly as published.
void sizeBookkeeping(Console& c, const std::string& name, std::int64_t uploadSize) {
    const auto size = static_cast<std::int64_t>(GetDownLoadFileSize(c, localPath(c, name), 1));
    if (size == uploadSize)
        c.conn->execute(downloadSizeUpdate(c.state.dbPrefix, size, name));
    else
        c.log.line(">>-" + name + " has " + std::to_string(size) + " bytes, " + std::to_string(uploadSize) +
                   " published: its download is not recorded");
}

// The transports take a file already in the update folder as fetched; one of another size than
// published would then fail the verification on every later run, so it is removed and fetched
// once more.
void dropWrongSize(Console& c, const std::string& name, std::int64_t uploadSize) {
    if (!isPlainFileName(name))
        return; // the transport refuses the name itself
    const fs::path local = c.native(localPath(c, name));
    std::error_code ec;
    if (!fs::is_regular_file(local, ec))
        return;
    const auto size = fs::file_size(local, ec);
    if (ec || static_cast<std::int64_t>(size) == uploadSize)
        return;
    c.log.line(">>-" + name + " in the local folder has " + std::to_string(size) + " bytes, " +
               std::to_string(uploadSize) + " published: fetched again");
    try {
        c.os.forceDelete(local);
    } catch (const std::exception& e) {
        c.log.line(">>-" + std::string(e.what()) + " in Download");
    }
}

PhaseOutcome downloadFailure(Console& c, int gridRow, const std::string& name, int transport) {
    if (transport == 1)
        ErrorDisplay(c);
    showErrorSentence(c, "Error while importing ZIP file. Check Log for details");
    failPackage(c, gridRow, kDownloading, name, "0 %");
    if (transport == 0)
        ErrorDisplay(c);
    c.endProgram(Ending::Failure);
    return PhaseOutcome::ProgramEnded;
}

// One incomplete package on the database's own machine; false when the program must end.
bool fetchFromServer(Console& c, TransferSession& s, int g, const std::string& name, std::int64_t upload) {
    hideBar(c, "");
    if (c.state.transferMode == 1) {
        c.log.line(">>-Started Downloading Files from FTP " + name);
        setRowStatus(c, kRow, RowStatus::InProgress);
        grid(c, g, kDownloading, name, 2);
        dropWrongSize(c, name, upload);
        if (!DownloadFromFtp(c, s.ftp, name)) {
            downloadFailure(c, g, name, 1);
            return false;
        }
        grid(c, g, "Downloading new programs", name, 3);
        setRowStatus(c, kRow, RowStatus::Completed);
        sizeBookkeeping(c, name, upload);
        sizeDisplay(c, name);
        ErrorDisplay(c);
    } else if (c.state.transferMode == 2) {
        setRowStatus(c, kRow, RowStatus::InProgress);
        c.log.line(">>-Started Downloading Files from HTTP " + name);
        c.model.setLabel(Label::lblDownLoad, name);
        c.model.setLabel(Label::lblLocation, "Downloading files from server");
        grid(c, g, kDownloading, name, 2);
        dropWrongSize(c, name, upload);
        if (!DownloadFromHttp(c, s.http, name)) {
            downloadFailure(c, g, name, 2);
            return false;
        }
        if (httpDownloadDone(s.http)) {
            sizeBookkeeping(c, name, upload);
            setRowStatus(c, kRow, RowStatus::Completed);
            grid(c, g, kDownloading, name, 3);
        } else {
            failPackage(c, g, kDownloading, name, "0 %");
        }
        ErrorDisplay(c);
        sizeDisplay(c, name);
    }
    return true;
}

// One package from the share on a client; false when the program must end.
bool fetchFromLan(Console& c, int g, const std::string& name) {
    setRowStatus(c, kRow, RowStatus::InProgress);
    advanceBar(c);
    grid(c, g, kDownloading, name, 2);
    c.model.setLabel(Label::lblDownLoad, name);
    c.model.setLabel(Label::lblLocation, c.state.lanServerPath);
    if (!DownloadFromLan(c, name)) {
        downloadFailure(c, g, name, 0);
        return false;
    }
    sizeDisplay(c, name);
    setRowStatus(c, kRow, RowStatus::Completed);
    grid(c, g, kDownloading, name, 3);
    return true;
}

// "position / count x 100" as the plain number the label shows.
std::string plainNumber(double v) {
    std::ostringstream o;
    o << std::setprecision(15) << v;
    return o.str();
}

// A client fetches the packages recorded as complete too: the server machine keeps the sizes.
PhaseOutcome secondLanPass(Console& c) {
    setRowStatus(c, kRow, RowStatus::InProgress);
    advanceBar(c);
    auto rs = c.conn->query(completePackagesQuery(c.state.dbPrefix));
    const auto count = rs.recordCount();
    std::size_t position = 0;
    std::string last;
    for (; !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("File_Names").textOr("");
        const int g = c.state.run.gridRowCounter;
        ++position;
        advanceBar(c);
        ChecklistRow r = c.model.checklist(kRow);
        r.percentText = plainNumber(static_cast<double>(position) / static_cast<double>(count) * 100);
        c.model.setChecklist(kRow, r);
        grid(c, g, kFromLan, name, 2);
        c.model.setLabel(Label::lblDownLoad, name);
        c.model.setLabel(Label::lblLocation, c.state.lanServerPath);
        if (!DownloadFromLan(c, name)) {
            showErrorSentence(c, "Error while importing ZIP file. Check Log for details");
            failPackage(c, g, "Downloading new program From LAN", name, "0%");
            ErrorDisplay(c);
            c.endProgram(Ending::Failure);
            return PhaseOutcome::ProgramEnded;
        }
        grid(c, g, kFromLan, name, 3);
        nextGridRow(c);
        last = name;
    }
    if (!last.empty())
        sizeDisplay(c, last);
    setRowStatus(c, kRow, RowStatus::Completed);
    nextGridRow(c);
    return PhaseOutcome::Continue;
}

// Whether the packages' check will want their digests (a damaged list of keys is refused there).
bool verifiesReleases(const Console& c) {
    try {
        return !trustedKeys(c).empty();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::string megabytesText(double megabytes) {
    std::ostringstream o;
    o << std::fixed << std::setprecision(3) << std::round(megabytes * 1000) / 1000;
    std::string t = o.str();
    while (!t.empty() && t.back() == '0')
        t.pop_back();
    if (!t.empty() && t.back() == '.')
        t.pop_back();
    return t + " MB";
}

PhaseOutcome ProgramDownload(Console& c, TransferSession& s) {
    c.state.run.downloadDigests.wanted = verifiesReleases(c);
    auto rs = c.conn->query(incompletePackagesQuery(c.state.dbPrefix));
    if (!rs.eof())
        hideBar(c, c.model.checklist(kRow).percentText);
    for (; !rs.eof(); rs.moveNext()) {
        const std::string name = rs.field("File_Names").textOr("");
        const std::int64_t upload = rs.field("UploadFileSize").intOrNull().value_or(0);
        const int g = c.state.run.gridRowCounter;
        const bool fetched =
            c.state.isLocalServer ? fetchFromServer(c, s, g, name, upload) : fetchFromLan(c, g, name);
        if (!fetched)
            return PhaseOutcome::ProgramEnded;
        nextGridRow(c);
    }
    const PhaseOutcome outcome = c.state.isLocalServer ? PhaseOutcome::Continue : secondLanPass(c);
    if (outcome == PhaseOutcome::Continue) // the step no longer moves: its bar goes, its text stays
        hideBar(c, rowPercent(c, kRow));
    return outcome;
}

} // namespace quillan
