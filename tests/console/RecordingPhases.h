#pragma once
// A RunPhases test double: records every call in order, with the overall bar as it stood when
// the call came, and answers scripted outcomes (Continue unless told otherwise).
#include "base/Progress.h"
#include "console/RunPhases.h"

#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace quillan::test {

class RecordingPhases : public RunPhases {
public:
    struct Call {
        std::string name;
        int overall;
    };
    std::vector<Call> calls;
    std::map<std::string, PhaseOutcome> outcomes;                 // by phase name
    std::map<std::string, std::function<void(Console&)>> effects; // run before answering
    PendingCheck pending = PendingCheck::Pending;

    std::vector<std::string> names() const {
        std::vector<std::string> n;
        for (const auto& c : calls)
            n.push_back(c.name);
        return n;
    }
    int overallAt(const std::string& name) const {
        for (const auto& c : calls)
            if (c.name == name)
                return c.overall;
        throw std::logic_error(name + " was not called");
    }

    bool ftpLogin(Console& c) override { return record(c, "ftpLogin") == PhaseOutcome::Continue; }
    bool httpLogin(Console& c) override { return record(c, "httpLogin") == PhaseOutcome::Continue; }
    PhaseOutcome scriptDownload(Console& c) override { return record(c, "scriptDownload"); }
    PhaseOutcome scriptImport(Console& c) override { return record(c, "scriptImport"); }
    PendingCheck pendingCheck(Console& c) override {
        record(c, "pendingCheck");
        return pending;
    }
    PhaseOutcome pathCorrections(Console& c) override { return record(c, "pathCorrections"); }
    PhaseOutcome programDownload(Console& c) override { return record(c, "programDownload"); }
    PhaseOutcome downloadVerification(Console& c) override { return record(c, "downloadVerification"); }
    PhaseOutcome unpacking(Console& c) override { return record(c, "unpacking"); }
    PhaseOutcome databaseBackup(Console& c) override { return record(c, "databaseBackup"); }
    PhaseOutcome fileBackup(Console& c) override { return record(c, "fileBackup"); }
    PhaseOutcome closePrograms(Console& c) override { return record(c, "closePrograms"); }
    PhaseOutcome replaceExes(Console& c) override { return record(c, "replaceExes"); }
    PhaseOutcome hotfixes(Console& c) override { return record(c, "hotfixes"); }
    PhaseOutcome replaceReports(Console& c) override { return record(c, "replaceReports"); }
    PhaseOutcome replaceOtherFiles(Console& c) override { return record(c, "replaceOtherFiles"); }
    PhaseOutcome registration(Console& c) override { return record(c, "registration"); }
    PhaseOutcome completion(Console& c) override { return record(c, "completion"); }

private:
    PhaseOutcome record(Console& c, const std::string& name) {
        calls.push_back({name, c.model.overallValue()});
        if (auto e = effects.find(name); e != effects.end())
            e->second(c);
        auto it = outcomes.find(name);
        return it == outcomes.end() ? PhaseOutcome::Continue : it->second;
    }
};

} // namespace quillan::test
