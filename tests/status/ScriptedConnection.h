#pragma once
// Test doubles for the console's services: a database connection that answers scripted
// recordsets keyed by the exact statement text and keeps a transcript of every statement, an
// operator that records its boxes, and a temporary program folder per test.
#include "console/Console.h"
#include "console/Operator.h"
#include "platform/db/Connection.h"
#include "tests/support/TempDir.h"

#include <atomic>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace quillan::test {

class ScriptedConnection : public db::Connection {
public:
    std::vector<std::string> transcript;

    void answer(const std::string& sql, std::vector<std::string> columns,
                std::vector<std::vector<db::Value>> rows = {}) {
        answers_[sql] = db::Recordset(std::move(columns), std::move(rows));
    }
    void fail(const std::string& sql, const std::string& what) { failures_[sql] = what; }

    // An unscripted statement answers no row; the transcript still shows it.
    db::Recordset query(const std::string& sql) override {
        transcript.push_back(sql);
        throwIfScriptedToFail(sql);
        auto it = answers_.find(sql);
        return it == answers_.end() ? db::Recordset() : it->second;
    }
    void execute(const std::string& sql) override {
        transcript.push_back(sql);
        throwIfScriptedToFail(sql);
    }
    std::string backendName() const override { return "scripted"; }

private:
    void throwIfScriptedToFail(const std::string& sql) const {
        if (auto it = failures_.find(sql); it != failures_.end())
            throw db::DbError(it->second);
    }
    std::map<std::string, db::Recordset> answers_;
    std::map<std::string, std::string> failures_;
};

class RecordingOperator : public Operator {
public:
    std::vector<std::string> informed;
    bool answer = false;
    void inform(const std::string& text) override { informed.push_back(text); }
    bool askYesNo(Question, const std::string& text) override { return ask(text); }
    bool askOkCancel(Question, const std::string& text) override { return ask(text); }
    std::vector<std::string> asked;

private:
    bool ask(const std::string& text) {
        asked.push_back(text);
        return answer;
    }
};

// A console on a temporary program folder with a scripted connection and an open run log.
struct TestConsole {
    TempDir dir;
    RecordingOperator op;
    Console c{dir.path(), op};
    ScriptedConnection* db = nullptr;

    TestConsole() {
        auto conn = std::make_unique<ScriptedConnection>();
        db = conn.get();
        c.conn = std::move(conn);
        c.state.dbName = "TervikDb";
        c.state.dbPrefix = "[TervikDb]";
        c.log.open(dir.path() / "DeployErrlog.log");
    }
    std::string log() const { return c.log.readAll(); }
};

} // namespace quillan::test
