#include "console/DownloadVerification.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "console/DownloadStatements.h"
#include "console/PackageVerification.h"
#include "install/Finishing.h"
#include "platform/Text.h"
#include "scripts/SplitPackage.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillan {
namespace fs = std::filesystem;

namespace {

constexpr Row kRow = Row::ProgramDownload;

PhaseOutcome verificationFailed(Console& c, const std::string& logLine) {
    c.state.run.runFailed = true;
    c.log.line(logLine);
    failRow(c, kRow);
    LoadToGrid(c, c.state.run.gridRowCounter, "Downloading new program ", "File not download sucessfully", 4,
               rowPercent(c, kRow));
    RollBack(c);
    return PhaseOutcome::RunEnded;
}

bool isInside(const fs::path& inner, const fs::path& outer) {
    auto o = outer.begin(), i = inner.begin();
    for (; o != outer.end(); ++o, ++i)
        if (i == inner.end() || *i != *o)
            return false;
    return true;
}

fs::path canonicalOrAsIs(const fs::path& p) {
    std::error_code ec;
    fs::path r = fs::weakly_canonical(p, ec);
    r = ec ? p : r;
    // "dir/" and "dir" name the same folder
    return r.has_filename() ? r : r.parent_path();
}

// Removes every plain file of the update folder that is no package of the release.
void sweepStaleFiles(Console& c) {
    auto rs = c.conn->query(releasePackagesQuery(c.state.dbPrefix));
    if (rs.eof())
        return;
    const std::string refusal = sweepRefusal(c);
    if (!refusal.empty()) {
        c.log.line(">>-Old files are not removed from " + c.state.updateFolder + ": " + refusal);
        return;
    }
    std::vector<fs::path> files;
    try {
        files = c.os.listPlainFiles(c.native(c.state.updateFolder));
    } catch (const std::exception&) {
        return; // no folder, nothing stale
    }
    for (const auto& f : files) {
        rs.filter("");
        rs.filter(packageNameFilter(f.filename().string()));
        if (!rs.eof())
            continue;
        try {
            c.os.forceDelete(f);
        } catch (const std::exception& e) {
            c.log.line(">>-" + std::string(e.what()) + " removing " + f.filename().string());
        }
    }
}

bool functionAnswersOne(Console& c, int which) {
    auto rs = c.conn->query(setupDetailsFunctionQuery(c.state.dbPrefix, which));
    return !rs.eof() && rs.field("EXISTS1").intOrNull().value_or(0) == 1;
}

// A mandatory release is marked as downloaded; false when the operator stops the run then.
bool mandatoryRelease(Console& c) {
    if (functionAnswersOne(c, 2) || !functionAnswersOne(c, 1))
        return true;
    c.conn->execute(mandatoryDownloadMark(c.state.dbPrefix));
    if (c.op.askYesNo(Question::Continue, "Deployment File Downloaded Do you want to continue Quillan"))
        return true;
    // The grid's row count is its last row's number: rows are numbered, and some are never
    // written (row 1 in FTP mode), so the number of rows written would land on a row in use.
    // The row is taken as every other (the counter moves past it), so the finishing operation's
    // rows that follow do not overwrite it either.
    const auto& grid = c.model.grid();
    c.state.run.gridRowCounter = (grid.empty() ? 0 : std::max(0, grid.rbegin()->first)) + 1;
    const int g = nextGridRow(c);
    LoadToGrid(c, g, "Deployment File Downloaded ", "", 2, rowPercent(c, Row::FileBackup));
    // The question follows the download, whose row is the one completed.
    setRowStatus(c, kRow, RowStatus::Completed);
    LoadToGrid(c, g, "Deployment File Downloaded ", c.state.updateFolder, 3, rowPercent(c, Row::Unpacking));
    RollBack1(c);
    return false;
}

} // namespace

std::string sweepRefusal(const Console& c) {
    std::string text(trimmed(c.state.updateFolder));
    while (!text.empty() && (text.back() == '\\' || text.back() == '/'))
        text.pop_back();
    if (text.empty() || (text.size() == 2 && text[1] == ':'))
        return "it is a drive root";
    const fs::path folder = canonicalOrAsIs(c.native(c.state.updateFolder));
    if (folder == folder.root_path())
        return "it is a drive root";
    for (const auto& [letter, root] : c.paths.drives())
        if (canonicalOrAsIs(root) == folder)
            return "it is a drive root";
    if (isInside(canonicalOrAsIs(c.programFolder()), folder))
        return "it holds the application folder";
    return "";
}

// The packages the release publishes without a usable size, each named with it in the log.
bool unsizedPackages(Console& c) {
    bool any = false;
    for (auto rs = c.conn->query(unsizedPackagesCheck(c.state.dbPrefix)); !rs.eof(); rs.moveNext()) {
        const auto& size = rs.field("UploadFileSize");
        c.log.line(">>-" + rs.field("File_Names").textOr("") + " is published with a size of " +
                   (size.isNull() ? std::string("NULL") : size.asText()) + " bytes: it cannot be fetched");
        any = true;
    }
    return any;
}

PhaseOutcome DownloadVerification(Console& c) {
    auto& run = c.state.run;
    if (unsizedPackages(c))
        return verificationFailed(c, ">>-File Not Properly Downloaded");
    if (!PackagesVerified(c))
        return PhaseOutcome::ProgramEnded;
    if (!c.conn->query(incompletePackagesCheck(c.state.dbPrefix)).eof())
        return verificationFailed(c, ">>-File Not Properly Downloaded");

    run.splitPackagesJoined = false;
    if (!c.conn->query(splitPackagesQuery(c.state.dbPrefix)).eof()) {
        run.splitPackagesJoined = true;
        if (!RestoreZipFile(c))
            return verificationFailed(c, ">>-File Not Properly Restored");
    }

    sweepStaleFiles(c);
    if (!mandatoryRelease(c))
        return PhaseOutcome::RunEnded;

    run.completedPhase = 4;
    setOverall(c, 40);
    return PhaseOutcome::Continue;
}

} // namespace quillan
