#include "install/FileReplacement.h"

#include "base/Machine.h"
#include "base/PhaseFrame.h"
#include "base/Progress.h"
#include "install/FileReplacementStatements.h"
#include "install/Finishing.h"
#include "install/ReleaseFile.h"
#include "platform/Text.h"

#include <algorithm>

#include <exception>
#include <filesystem>

namespace quillan {

namespace fs = std::filesystem;

namespace {

struct SubPhase {
    std::string (*query)(const std::string& dbPrefix);
    Row row;
    const char* link;
    const char* label;
    const char* event;
    const char* startLine;
    const char* fileLine;
    const char* doneLine;
    int completedPhase;
    bool advancesOverall;
    bool RunState::*replaced;
};

const SubPhase& subPhase(ReplacedFiles which) {
    static const SubPhase exes{exeReplacementQuery,
                               Row::ReplaceExes,
                               "Show Exes",
                               "Replace Exes:",
                               "Replace Exes ",
                               ">>-Started Replacing Exe ",
                               ">>-Replacing Exe ",
                               ">>-Replacing Exe completed",
                               7,
                               true,
                               &RunState::exesReplaced};
    static const SubPhase reports{reportReplacementQuery,
                                  Row::ReplaceReports,
                                  "Show RPTs&RTMs",
                                  "Replace RTMs RPTs:",
                                  "Replace RPTs and RTMs ",
                                  ">>-Started Replacing RTM and RPT ",
                                  ">>-Replacing ",
                                  ">>-Replacing RTM and RPT completed",
                                  10,
                                  false,
                                  &RunState::reportsReplaced};
    static const SubPhase others{otherFilesReplacementQuery,
                                 Row::ReplaceOtherFiles,
                                 "Show Other File",
                                 "Replace Other Files:",
                                 "Replace Other files ",
                                 ">>-Started Replacing Other Files ",
                                 ">>-Replacing ",
                                 ">>-Replacing Other Files completed",
                                 11,
                                 true,
                                 &RunState::otherFilesReplaced};
    switch (which) {
    case ReplacedFiles::Exes:
        return exes;
    case ReplacedFiles::Reports:
        return reports;
    case ReplacedFiles::OtherFiles:
        break;
    }
    return others;
}

// A running program is ended only with the operator's consent, and only when it is gone is its
// file replaced; without consent the safe replace is tried as it stands (on Windows it then fails
// cleanly, the program keeping its file).
void endIfAgreed(Console& c, const std::string& program, std::chrono::milliseconds endWait) {
    if (!c.os.isRunning(program))
        return;
    const auto& agreed = c.state.run.programsToEnd;
    if (std::none_of(agreed.begin(), agreed.end(),
                     [&](const std::string& a) { return equalsNoCase(a, program); })) {
        c.log.line(">>-" + program + " is running and the operator was not asked to close it: not ended");
        return;
    }
    if (!c.os.endProgram(program, endWait))
        c.log.line(">>-" + program + " could not be ended");
}

// Copies one file into place; throws what the copy or the folder creation threw.
void replaceOne(Console& c, const SubPhase& s, const ReleaseFile& f, std::chrono::milliseconds endWait) {
    const fs::path folder = c.native(f.folder);
    if (!fs::is_directory(folder))
        fs::create_directories(folder);
    c.log.line(s.fileLine + f.name);
    c.state.run.*s.replaced = true; // before the first byte lands: the undo must look at this kind
    if (s.row == Row::ReplaceExes)
        endIfAgreed(c, f.name, endWait);
    // The installed file's own spelling: a release naming "TERVIK.EXE" replaces "Tervik.exe"
    // instead of putting a second program beside it.
    c.os.replaceFile(c.native(c.state.updateFolder + "\\" + f.name), c.native(f.installedText()));
    c.state.run.installedFileReplaced = true;
}

// False after the first file that could not be replaced.
bool replaceAll(Console& c, const SubPhase& s, db::Recordset& rs, const PhaseRow& row,
                std::chrono::milliseconds endWait) {
    for (; !rs.eof(); rs.moveNext()) {
        const auto f = releaseFile(c, rs);
        if (!f)
            continue;
        phaseItem(c, row, f->name, locationLabel(c, *f));
        if (!fileExists(c, c.state.updateFolder + "\\" + f->name)) {
            c.log.line(">>-File Not Found " + f->name);
            continue;
        }
        try {
            replaceOne(c, s, *f, endWait);
        } catch (const std::exception& e) {
            c.log.line(std::string(e.what()) + " in Replacing " + f->installedText());
            return false;
        }
    }
    return true;
}

} // namespace

bool ReplaceFiles(Console& c, ReplacedFiles which, std::chrono::milliseconds endWait) {
    const SubPhase& s = subPhase(which);
    auto rs = c.conn->query(s.query(c.state.dbPrefix));
    if (!rs.eof()) {
        const PhaseRow row{s.row, nextGridRow(c), s.event, ""};
        phaseStart(c, row, s.startLine, s.label, static_cast<int>(rs.recordCount()));
        c.model.setGridLink(row.gridRow, s.link);
        c.log.line(s.startLine);
        if (!replaceAll(c, s, rs, row, endWait)) {
            phaseFailure(c, row, "Error while replacing the files. Check Log for details");
            ErrorDisplay(c);
            RollBack(c); // completedPhase still names the phase before: the undo puts back this one
            return false;
        }
        c.log.line(s.doneLine);
        phaseSuccess(c, row, s.doneLine);
    }
    c.state.run.completedPhase = s.completedPhase;
    if (s.advancesOverall)
        advanceOverall(c);
    return true;
}

} // namespace quillan
