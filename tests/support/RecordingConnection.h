#pragma once
// Test doubles shared by the console, transfer and window tests: an operator that keeps what it
// was told and agrees to every question, and a database connection that keeps every statement it
// is given and answers queries from a queue of recordsets.
#include "console/Operator.h"
#include "platform/db/Connection.h"

#include <deque>
#include <string>
#include <vector>

namespace quillan::test {

class RecordingOperator : public Operator {
public:
    void inform(const std::string& text) override { told.push_back(text); }
    bool askYesNo(Question, const std::string&) override { return true; }
    bool askOkCancel(Question, const std::string&) override { return true; }
    std::vector<std::string> told;
};

// A query takes the next queued recordset; with none left it answers an empty "File Name",
// "File Date" recordset (the shape of the file lists the commands read). `failWith` makes every
// query fail with that description.
class RecordingConnection : public db::Connection {
public:
    explicit RecordingConnection(std::vector<std::string>& transcript) : transcript_(transcript) {}
    db::Recordset query(const std::string& sql) override {
        transcript_.push_back(sql);
        if (failWith)
            throw db::DbError(failWith);
        if (answers.empty())
            return db::Recordset({"File Name", "File Date"}, {});
        auto rs = answers.front();
        answers.pop_front();
        return rs;
    }
    void execute(const std::string& sql) override { transcript_.push_back(sql); }
    std::string backendName() const override { return "recording"; }

    std::deque<db::Recordset> answers;
    const char* failWith = nullptr;

private:
    std::vector<std::string>& transcript_;
};

} // namespace quillan::test
