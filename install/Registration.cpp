#include "install/Registration.h"

#include "base/Machine.h"
#include "base/PhaseFrame.h"
#include "base/Progress.h"
#include "install/Finishing.h"
#include "install/RegistrationStatements.h"
#include "install/RegistrationTool.h"
#include "install/ReleaseFile.h"

#include <exception>
#include <filesystem>
#include <optional>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr const char* kEvent = "Unregister and Register files ";
constexpr const char* kToolMessage = "You may have to click on OK for Unregister/Register";

// One way of calling the components' registration, chosen once for the whole step.
class Registrar {
public:
    Registrar(Console& c, bool toolMode, const RegistrationLimits& limits)
        : c_(c), toolMode_(toolMode), tool_(toolMode ? registrationToolPath() : fs::path()),
          timeout_(c.op.attended() ? limits.attendedToolTimeout : limits.unattendedToolTimeout) {}

    bool toolMode() const { return toolMode_; }

    // Nothing when it worked; otherwise why not.
    std::optional<std::string> call(const fs::path& component, RegistrationEntry entry) {
        auto why = toolMode_ ? runTool(component, entry) : callEntry(component, entry);
        anyFailed_ = anyFailed_ || why.has_value();
        return why;
    }
    // True once a call of this step did not work: the step's row shows it failed.
    bool anyFailed() const { return anyFailed_; }

private:
    std::optional<std::string> runTool(const fs::path& component, RegistrationEntry entry) {
        if (tool_.empty())
            return "no registration tool on this machine (set QUILLAN_REGISTRATION_TOOL)";
        std::vector<std::string> arguments;
        if (entry == RegistrationEntry::Unregister)
            arguments.push_back("/u");
        arguments.push_back(component.string());
        const auto run = c_.os.runProgram(tool_, arguments, timeout_, [this] { c_.model.processEvents(); });
        switch (run.outcome) {
        case ProgramRun::Outcome::Exited:
            if (run.exitCode == 0)
                return std::nullopt;
            return tool_.string() + " answered exit code " + std::to_string(run.exitCode);
        case ProgramRun::Outcome::TimedOut:
            return tool_.string() + " did not end in time and was ended";
        case ProgramRun::Outcome::NotStarted:
            break;
        }
        return tool_.string() + " could not be started: " + run.error;
    }

    std::optional<std::string> callEntry(const fs::path& component, RegistrationEntry entry) {
        const ComponentCall call = c_.os.callRegistrationEntry(component, entry);
        switch (call.outcome) {
        case ComponentCall::Outcome::Called:
            if (call.result == 0)
                return std::nullopt;
            return std::string(entryPointName(entry)) + " answered " + std::to_string(call.result);
        case ComponentCall::Outcome::MissingEntryPoint:
            return std::string("it has no entry point ") + entryPointName(entry);
        case ComponentCall::Outcome::MissingLibrary:
            break;
        }
        return "it cannot be loaded: " + call.error;
    }

    Console& c_;
    bool toolMode_;
    fs::path tool_;
    std::chrono::milliseconds timeout_;
    bool anyFailed_ = false;
};

// A registration that did not work is told, and the run does not report a success.
void report(Console& c, const std::string& doing, const std::string& name,
            const std::optional<std::string>& why) {
    if (!why)
        return;
    c.log.line(">>-" + doing + " " + name + " failed: " + *why);
    c.state.run.runFailed = true;
}

enum class Step { Done, Skipped, CopyFailed };

Step registerOne(Console& c, Registrar& r, const ReleaseFile& f) {
    const fs::path installed = c.native(f.installedText());
    const bool wasInstalled = fileExists(c, f.installedText());
    const bool newCopy = fileExists(c, c.state.updateFolder + "\\" + f.name);
    if (!wasInstalled && !newCopy) {
        c.log.line(">>-" + f.name + " is neither installed nor in the update folder: not registered");
        return Step::Skipped;
    }
    c.log.line(">>-Unregistering " + f.name);
    c.state.run.componentsRegistered = true; // before the first change: the undo must look at them
    if (wasInstalled)
        report(c, "Unregistering", f.name, r.call(installed, RegistrationEntry::Unregister));
    c.log.line(">>-Unregistered " + f.name);
    if (newCopy) {
        try {
            const fs::path folder = c.native(f.folder);
            if (!fs::is_directory(folder))
                fs::create_directories(folder);
            c.os.replaceFile(c.native(c.state.updateFolder + "\\" + f.name), installed);
            c.state.run.installedFileReplaced = true;
        } catch (const std::exception& e) {
            c.log.line(std::string(e.what()) + " in Replacing " + f.installedText());
            if (wasInstalled) { // the old copy stays where it was: it must not stay unregistered
                c.log.line(">>-Registering the old " + f.name + " again");
                report(c, "Registering", f.name, r.call(installed, RegistrationEntry::Register));
            }
            return Step::CopyFailed;
        }
    }
    c.log.line(">>-Registering " + f.name);
    const auto why = r.call(installed, RegistrationEntry::Register);
    report(c, "Registering", f.name, why);
    if (!why)
        c.log.line(">>-Registered " + f.name);
    return Step::Done;
}

} // namespace

bool RegisterComponents(Console& c, const RegistrationLimits& limits) {
    RunState& run = c.state.run;
    auto mode = c.conn->query(registrationSwitchQuery(c.state.dbPrefix));
    if (!mode.eof()) {
        Registrar registrar(c, mode.field("Status").intOrNull().value_or(0) == 1, limits);
        run.completedPhase = 11;
        auto rs = c.conn->query(componentsQuery(c.state.dbPrefix));
        if (!rs.eof()) {
            const PhaseRow row{Row::Registration, nextGridRow(c), kEvent, ""};
            phaseStart(c, row, ">>-Started Unregistering and Registering files ",
                       "Register Files:", static_cast<int>(rs.recordCount()));
            c.model.setGridLink(row.gridRow, "Show Register Files");
            c.log.line(">>-Started Unregistering and Registering files ");
            for (; !rs.eof(); rs.moveNext()) {
                c.model.setLabel(Label::lblRegMessage, registrar.toolMode() ? kToolMessage : "");
                const auto f = releaseFile(c, rs);
                if (!f)
                    continue;
                phaseItem(c, row, f->name, locationLabel(c, *f));
                if (registerOne(c, registrar, *f) == Step::CopyFailed) {
                    c.model.setLabel(Label::lblRegMessage, "");
                    phaseFailure(c, row, "Error while replacing a component. Check Log for details");
                    ErrorDisplay(c);
                    RollBack(c);
                    return false;
                }
            }
            if (registrar.anyFailed()) { // the run goes on: the files are in place, nothing to undo
                c.log.line(">>-Unregistering and Registering files ended with errors");
                phaseFailure(c, row, "Error while registering a component. Check Log for details");
                ErrorDisplay(c);
            } else {
                c.log.line(">>-Unregistering and Registering files completed");
                phaseSuccess(c, row, ">>-Unregistering and Registering files completed");
            }
        }
    }
    c.model.setLabel(Label::lblRegMessage, "");
    run.completedPhase = 12;
    return true;
}

} // namespace quillan
