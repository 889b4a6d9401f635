#pragma once
// An administration interface for tests: every call is kept in order as a line of text, the
// backup and the restore report the scripted percents, and the server's sessions are a list the test sets.
// With `forward` set, the calls also go to a real interface (the embedded engine's), so a phase can be run
// for real while its statements are still recorded exactly as sent.
#include "platform/db/DbAdmin.h"

#include <algorithm>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

namespace quillan::test {

class RecordingAdmin : public db::DbAdmin {
public:
    std::vector<std::string> calls; // "executeBatch Tervik: <batch>", "backup Tervik: <file>", ...
    std::vector<int> percents{0, 25, 50, 75, 100}; // what backup and restore report
    std::vector<int> sessions;                     // attached to the database, other than this one
    db::DbAdmin* forward = nullptr;
    std::chrono::milliseconds timeLimit{0}; // the last one set

    void connect(const std::string& server, const std::string& user, const std::string& password) override {
        record("connect " + server + " " + user + (password.empty() ? "" : " (password)"));
        if (forward)
            forward->connect(server, user, password);
    }
    void disconnect() override {
        record("disconnect");
        if (forward)
            forward->disconnect();
    }
    void setTimeLimit(std::chrono::milliseconds limit) override {
        timeLimit = limit; // kept apart from `calls`, whose order the tests compare
        if (forward)
            forward->setTimeLimit(limit);
    }
    void executeBatch(const std::string& database, const std::string& batch) override {
        record("executeBatch " + database + ": " + batch);
        if (forward)
            forward->executeBatch(database, batch);
    }
    db::Recordset query(const std::string& database, const std::string& select) override {
        record("query " + database + ": " + select);
        return forward ? forward->query(database, select) : db::Recordset({}, {});
    }
    void backup(const std::string& database, const std::filesystem::path& file,
                db::PercentCallback progress) override {
        record("backup " + database + ": " + file.string());
        if (forward) {
            forward->backup(database, file, progress);
            return;
        }
        std::ofstream(file, std::ios::binary) << "backup of " << database;
        report(progress);
    }
    void restore(const std::string& database, const std::filesystem::path& file,
                 db::PercentCallback progress) override {
        record("restore " + database + ": " + file.string());
        if (forward) {
            forward->restore(database, file, progress);
            return;
        }
        report(progress);
    }
    std::vector<int> attachedProcesses(const std::string& database) override {
        record("attachedProcesses " + database);
        return sessions;
    }
    void endProcess(int spid) override {
        record("endProcess " + std::to_string(spid));
        sessions.erase(std::remove(sessions.begin(), sessions.end(), spid), sessions.end());
    }

private:
    void record(const std::string& line) { calls.push_back(line); }
    void report(const db::PercentCallback& progress) const {
        if (progress)
            for (int p : percents)
                progress(p);
    }
};

// A RecordingAdmin handed out by Machine::openAdmin (which gives ownership away) while the test
// keeps the one that records: every call goes to `to`.
class LentAdmin : public db::DbAdmin {
public:
    explicit LentAdmin(RecordingAdmin& owner) : to_(owner) {}
    void connect(const std::string& s, const std::string& u, const std::string& p) override {
        to_.connect(s, u, p);
    }
    void disconnect() override { to_.disconnect(); }
    void setTimeLimit(std::chrono::milliseconds limit) override { to_.setTimeLimit(limit); }
    void executeBatch(const std::string& d, const std::string& b) override { to_.executeBatch(d, b); }
    db::Recordset query(const std::string& d, const std::string& s) override { return to_.query(d, s); }
    void backup(const std::string& d, const std::filesystem::path& f, db::PercentCallback p) override {
        to_.backup(d, f, std::move(p));
    }
    void restore(const std::string& d, const std::filesystem::path& f, db::PercentCallback p) override {
        to_.restore(d, f, std::move(p));
    }
    std::vector<int> attachedProcesses(const std::string& d) override { return to_.attachedProcesses(d); }
    void endProcess(int spid) override { to_.endProcess(spid); }

private:
    RecordingAdmin& to_;
};

} // namespace quillan::test
