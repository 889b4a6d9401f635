#include "console/RunSummary.h"

#include "base/WindowsPath.h"
#include "console/HeadlessView.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <fstream>

namespace quillan {

namespace {

// Ordered: the fields stay in the order documented, for people reading the file.
using json = nlohmann::ordered_json;

json textOrNull(const std::optional<std::string>& text) {
    return text ? json(*text) : json(nullptr);
}

json phases(const PhaseTimes* times) {
    json out = json::array();
    if (!times)
        return out;
    const auto& steps = times->steps();
    for (std::size_t i = 0; i < steps.size(); ++i) {
        if (steps[i].status == RowStatus::New)
            continue;
        std::string caption = checklistCaptions()[i];
        for (auto at = caption.find("&&"); at != std::string::npos; at = caption.find("&&", at + 1))
            caption.erase(at, 1);
        out.push_back({{"row", i},
                       {"step", caption},
                       {"state", rowStatusName(steps[i].status)},
                       {"seconds", std::round(steps[i].seconds() * 1000) / 1000}});
    }
    return out;
}

// What the run changed in the installation and the database, whether or not it was put back.
json changed(const RunState& run) {
    json out = json::array();
    const std::pair<bool, const char*> kinds[] = {
        {run.exesReplaced, "programs"},           {run.hotfixRunStarted, "database (hotfix scripts)"},
        {run.reportsReplaced, "reports"},         {run.otherFilesReplaced, "other files"},
        {run.componentsRegistered, "components"},
    };
    for (const auto& [did, what] : kinds)
        if (did)
            out.push_back(what);
    return out;
}

} // namespace

std::string runSummaryLine(const Console& c, const RunFacts& f) {
    const ConsoleState& s = c.state;
    const json summary = {
        {"started", f.started.iso()},
        {"finished", f.finished.iso()},
        {"installation", s.appPath},
        {"distributorCode", s.distributorCode},
        {"computer", s.computerName},
        {"releaseBefore", textOrNull(f.releaseBefore)},
        {"releaseAfter", textOrNull(f.releaseAfter)},
        {"outcome", exitCodeText(f.code)},
        {"exitCode", static_cast<int>(f.code)},
        {"phases", phases(f.phases)},
        {"changed", changed(s.run)},
        {"notPutBack", s.run.notPutBack},
        {"runLog", s.errLogPath},
    };
    // Texts from the database or the machine may hold bytes that are not UTF-8: replaced, never
    // a reason to lose the summary.
    return summary.dump(-1, ' ', false, json::error_handler_t::replace);
}

std::optional<std::filesystem::path> runsFile(const Console& c) {
    if (c.state.errLogFolder.empty() || !c.log.isOpen())
        return std::nullopt;
    return c.native(joinWindows(c.state.errLogFolder, "\\DeployRuns.jsonl"));
}

std::string appendRunLine(const std::filesystem::path& file, const std::string& line) {
    std::ofstream out(file, std::ios::binary | std::ios::app);
    if (!out)
        return "cannot open " + file.string();
    const std::string whole = line + "\n"; // one write, so that a line is never interleaved
    out.write(whole.data(), static_cast<std::streamsize>(whole.size()));
    out.close();
    return out ? std::string() : "cannot write " + file.string();
}

} // namespace quillan
