#include "install/ClosingPrograms.h"

#include "base/Machine.h"
#include "base/Progress.h"
#include "install/FileReplacementStatements.h"
#include "install/Finishing.h"

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

namespace quillan {

namespace {

using Clock = std::chrono::steady_clock;

std::string seconds(std::chrono::milliseconds length) {
    return std::to_string(std::chrono::duration_cast<std::chrono::seconds>(length).count());
}

// The operator refused (or nobody answered in time): the run stops and the release stays pending.
bool refuse(Console& c, const std::string& why) {
    c.log.line(">>-" + why);
    c.state.run.operatorStopped = true;
    RollBack1(c);
    return false;
}

std::chrono::milliseconds waitLimit(const Console& c, const ClosingLimits& limits) {
    return c.op.attended() ? limits.attendedWait : limits.unattendedWait;
}

std::vector<std::string> releasePrograms(Console& c) {
    std::vector<std::string> names;
    for (auto rs = c.conn->query(runningProgramsQuery(c.state.dbPrefix)); !rs.eof(); rs.moveNext())
        names.push_back(rs.field("File_Names").textOr(""));
    std::erase_if(names, [](const std::string& n) { return n.empty(); });
    return names;
}

// Wait mode: the box comes back, paced, for as long as the program runs. An operator acknowledges
// each box; nobody acknowledges an unattended run's, which is told once and then only waited on.
bool waitUntilClosed(Console& c, const std::string& name, const ClosingLimits& limits) {
    const auto limit = waitLimit(c, limits);
    const auto deadline = Clock::now() + limit;
    bool told = false;
    while (c.os.isRunning(name)) {
        if (Clock::now() >= deadline)
            return refuse(c, name + " is still running after " + seconds(limit) +
                                 " seconds: taken as a refusal to close it");
        if (c.op.attended() || !told)
            c.op.inform("Please close the " + name + " to continue Quillan");
        told = true;
        pauseWithEvents(c, limits.pause);
    }
    return true;
}

// Ask mode: every running program is asked about before any is ended, so a No for the second
// leaves the first running.
bool askAndEnd(Console& c, const std::vector<std::string>& names, const ClosingLimits& limits) {
    std::vector<std::string> agreed;
    for (const auto& name : names) {
        if (!c.os.isRunning(name))
            continue;
        if (!c.op.askYesNo(Question::Close, "Close the " + name + " to continue Quillan"))
            return refuse(c, "The operator did not agree to close " + name);
        agreed.push_back(name);
    }
    c.state.run.programsToEnd = agreed;
    for (const auto& name : agreed) {
        const auto deadline = Clock::now() + limits.endWait * 3;
        while (!c.os.endProgram(name, limits.endWait)) {
            if (Clock::now() >= deadline)
                return refuse(c, name + " could not be ended: the run stops before its files are replaced");
            pauseWithEvents(c, limits.pause);
        }
        c.log.line(">>-Closed " + name);
    }
    return true;
}

// The other workstations: one box per query until FN_Hostnames() is empty.
bool otherWorkstationsClosed(Console& c, const ClosingLimits& limits) {
    const auto limit = waitLimit(c, limits);
    const auto deadline = Clock::now() + limit;
    std::string lastTold;
    for (;;) {
        auto rs = c.conn->query(otherWorkstationsQuery(c.state.dbPrefix));
        if (rs.eof())
            return true;
        const std::string message = rs.field("HMessage").textOr("");
        if (Clock::now() >= deadline)
            return refuse(c, "Other workstations still run the application after " + seconds(limit) +
                                 " seconds (" + message + "): taken as a refusal");
        if (c.op.attended() || message != lastTold)
            c.op.inform(message);
        lastTold = message;
        pauseWithEvents(c, limits.pause);
    }
}

} // namespace

void pauseWithEvents(Console& c, std::chrono::milliseconds length) {
    constexpr auto slice = std::chrono::milliseconds(50);
    for (auto left = length; left.count() > 0; left -= slice) {
        c.model.processEvents();
        std::this_thread::sleep_for(std::min(left, slice));
    }
}

bool ClosingRunningPrograms(Console& c, const ClosingLimits& limits) {
    const std::vector<std::string> names = releasePrograms(c);
    auto mode = c.conn->query(closeProgramsSwitchQuery(c.state.dbPrefix));
    if (!mode.eof()) {
        const bool askMode = mode.field("Status").intOrNull().value_or(0) == 1;
        if (askMode) {
            if (!askAndEnd(c, names, limits))
                return false;
        } else {
            for (const auto& name : names)
                if (!waitUntilClosed(c, name, limits))
                    return false;
        }
    }
    if (c.state.isLocalServer && !otherWorkstationsClosed(c, limits))
        return false;
    c.state.run.completedPhase = 8;
    advanceOverall(c);
    return true;
}

} // namespace quillan
