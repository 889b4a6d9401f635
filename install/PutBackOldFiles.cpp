#include "install/PutBackOldFiles.h"

#include "base/Machine.h"
#include "install/FileReplacementStatements.h"
#include "install/RegistrationStatements.h"
#include "install/RegistrationTool.h"
#include "install/ReleaseFile.h"

#include <chrono>
#include <exception>
#include <filesystem>

namespace quillan {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr auto kToolTimeout = 120s; // the tool runs silently (/s): it never waits for an answer
constexpr auto kProgramEndWait = 5s;

struct FileKind {
    std::string (*query)(const std::string& dbPrefix);
    const char* startLine;
    const char* fileLine;
    const char* doneLine;
    bool endProgramFirst;
    const char* what; // for the closing message when the kind's list cannot be read
};

const FileKind kExes{
    exeReplacementQuery, ">>-Started Restoring Exe ", ">>-Restoring Exe ", ">>-Restore Exe completed", true,
    "the EXEs"};
const FileKind kReports{reportReplacementQuery,
                        ">>-Started Restoring RTM and RPT ",
                        ">>-Restoring ",
                        ">>-Restore RTM and RPT completed",
                        false,
                        "the report files"};
const FileKind kComponents{componentsQuery, ">>-Started RollBack Registry files ",
                           ">>-Restoring ", ">>-Roll Back for Registry files completed",
                           false,           "the components"};
const FileKind kOthers{otherFilesReplacementQuery,
                       ">>-Started Restoring Other Files ",
                       ">>-Restoring ",
                       ">>-Restore Other Files completed",
                       false,
                       "the other files"};

struct Target {
    std::string name;
    fs::path installed, saved;
};

// The rows of one kind whose old copy the backup folder holds; the others are logged and left.
std::vector<Target> savedTargets(Console& c, const FileKind& kind) {
    std::vector<Target> out;
    const fs::path backup = c.native(c.state.backupFolder);
    for (auto rs = c.conn->query(kind.query(c.state.dbPrefix)); !rs.eof(); rs.moveNext()) {
        // Names come from the release table: one that could leave its folder is never followed.
        const auto f = releaseFile(c, rs);
        if (!f)
            continue;
        const Target t{f->name, c.native(f->installedText()), backup / f->name};
        std::error_code ec;
        if (fs::is_regular_file(t.saved, ec))
            out.push_back(t);
        else if (fs::exists(t.installed, ec)) // the backup takes every installed file: this one is new
            c.log.line(">>-No backup copy of " + f->name + ": left as the release installed it");
        else // the run stopped before it reached this file
            c.log.line(">>-No backup copy of " + f->name +
                       ": the run did not install it, nothing to put back");
    }
    return out;
}

void failed(Console& c, std::vector<std::string>& notPutBack, const std::string& what,
            const std::string& why) {
    c.log.line(why + " in Restoring files");
    notPutBack.push_back(what);
}

void runTool(Console& c, const fs::path& tool, std::vector<std::string> arguments, const Target& t,
             const std::string& what, std::vector<std::string>& notPutBack) {
    arguments.push_back(t.installed.string());
    const auto run = c.os.runProgram(tool, arguments, kToolTimeout, [&c] { c.model.processEvents(); });
    if (run.outcome != ProgramRun::Outcome::Exited || run.exitCode != 0)
        failed(
            c, notPutBack, what + " " + t.name,
            "The registration tool " + tool.string() + " did not " + what + " " + t.name +
                (run.error.empty() ? " (exit code " + std::to_string(run.exitCode) + ")" : ": " + run.error));
}

void putBack(Console& c, const FileKind& kind, std::vector<std::string>& notPutBack) {
    c.log.line(kind.startLine);
    const bool components = &kind == &kComponents;
    const fs::path tool = components ? registrationToolPath() : fs::path();
    if (components && tool.empty())
        c.log.line(">>-No registration tool on this machine: components are not registered again");
    for (const auto& t : savedTargets(c, kind)) {
        c.log.line(kind.fileLine + t.name);
        c.model.setLabel(Label::lblDownLoad, t.name);
        c.model.processEvents();
        if (!tool.empty())
            runTool(c, tool, {"/u", "/s"}, t, "unregister", notPutBack);
        try {
            if (kind.endProgramFirst)
                c.os.endProgram(t.name, kProgramEndWait);
            c.os.replaceFile(t.saved, t.installed);
        } catch (const std::exception& e) {
            failed(c, notPutBack, t.installed.string(), e.what());
            continue;
        }
        if (!tool.empty())
            runTool(c, tool, {"/s"}, t, "register", notPutBack);
    }
    c.log.line(kind.doneLine);
}

} // namespace

std::vector<std::string> putBackOldFiles(Console& c) {
    std::vector<std::string> notPutBack;
    const RunState& run = c.state.run;
    if (!run.filesBackedUp) {
        c.log.line(">>-The old files cannot be put back: the file backup did not run");
        notPutBack.push_back("the installed files the run replaced (no backup of them was taken)");
        return notPutBack;
    }
    const std::pair<bool, const FileKind*> kinds[] = {{run.exesReplaced, &kExes},
                                                      {run.reportsReplaced, &kReports},
                                                      {run.componentsRegistered, &kComponents},
                                                      {run.otherFilesReplaced, &kOthers}};
    for (const auto& [replaced, kind] : kinds) {
        if (!replaced)
            continue;
        try {
            putBack(c, *kind, notPutBack);
        } catch (const std::exception& e) { // the query: nothing of this kind was put back
            failed(c, notPutBack, kind->what, e.what());
        }
    }
    c.model.setLabel(Label::lblDownLoad, "");
    return notPutBack;
}

} // namespace quillan
