#pragma once
// Connection doubles shared by the console, status, transfer and window tests: a connection that
// answers queries from a queue of recordsets, and one that answers from a script of rules keyed by
// statement text.
#include "platform/db/Connection.h"

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace quillan::test {

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

// Keeps every statement in order and answers by rules: a rule's key must equal the statement, or,
// with `byContainedText`, merely occur in it (first such rule wins). An unscripted query answers no
// row; a rule with an error makes queries and commands that match it fail with that description.
class ScriptedConnection : public db::Connection {
public:
    explicit ScriptedConnection(bool byContainedText = false) : byContainedText_(byContainedText) {}

    std::vector<std::string> transcript; // queries and commands
    std::vector<std::string> commands;   // commands only

    void answer(const std::string& key, std::vector<std::string> columns,
                std::vector<std::vector<db::Value>> rows = {}) {
        set(key, db::Recordset(std::move(columns), std::move(rows)), std::nullopt);
    }
    void answerOne(const std::string& key, const std::string& column, db::Value v) {
        answer(key, {column}, {{std::move(v)}});
    }
    void fail(const std::string& key, const std::string& what) { set(key, {}, what); }
    void forget(const std::string& key) {
        std::erase_if(rules_, [&](const Rule& r) { return r.key == key; });
    }
    void forgetAll() { rules_.clear(); }
    bool ran(const std::string& part) const {
        for (const auto& s : transcript)
            if (s.find(part) != std::string::npos)
                return true;
        return false;
    }

    db::Recordset query(const std::string& sql) override {
        transcript.push_back(sql);
        const Rule* r = match(sql);
        if (r && r->error)
            throw db::DbError(*r->error);
        return r ? r->rows : db::Recordset();
    }
    void execute(const std::string& sql) override {
        transcript.push_back(sql);
        commands.push_back(sql);
        if (const Rule* r = match(sql); r && r->error)
            throw db::DbError(*r->error);
    }
    std::string backendName() const override { return "scripted"; }

private:
    struct Rule {
        std::string key;
        db::Recordset rows;
        std::optional<std::string> error;
    };
    void set(const std::string& key, db::Recordset rows, std::optional<std::string> error) {
        forget(key);
        rules_.push_back({key, std::move(rows), std::move(error)});
    }
    const Rule* match(const std::string& sql) const {
        for (const auto& r : rules_)
            if (byContainedText_ ? sql.find(r.key) != std::string::npos : sql == r.key)
                return &r;
        return nullptr;
    }
    bool byContainedText_;
    std::vector<Rule> rules_;
};

// Hands a connection owned by the test to the console, which wants to own one.
class ForwardingConnection : public db::Connection {
public:
    explicit ForwardingConnection(db::Connection& target) : target_(target) {}
    db::Recordset query(const std::string& sql) override { return target_.query(sql); }
    void execute(const std::string& sql) override { target_.execute(sql); }
    std::string backendName() const override { return target_.backendName(); }
    void setTimeLimit(std::chrono::milliseconds limit) override { target_.setTimeLimit(limit); }

private:
    db::Connection& target_;
};

} // namespace quillan::test
