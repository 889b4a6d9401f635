#pragma once
// A recording test double of the database connection: every statement text is kept in order, and
// queries are answered from a script of rules (first rule whose text occurs in the statement).
#include "platform/db/Connection.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillan::test {

class FakeConnection : public db::Connection {
public:
    struct Rule {
        std::string key; // a text that occurs in the statement
        db::Recordset rows;
        std::optional<std::string> error; // set: the statement fails with this description
    };

    std::vector<std::string> statements; // queries and commands, in order
    std::vector<std::string> commands;   // commands only
    std::vector<Rule> rules;

    // One row of one column.
    void answer(const std::string& key, const std::string& column, db::Value v) {
        forget(key);
        rules.push_back({key, db::Recordset({column}, {{std::move(v)}}), std::nullopt});
    }
    void answerEmpty(const std::string& key, const std::string& column) {
        forget(key);
        rules.push_back({key, db::Recordset({column}, {}), std::nullopt});
    }
    void fail(const std::string& key, const std::string& message) {
        forget(key);
        rules.push_back({key, {}, message});
    }
    void forget(const std::string& key) {
        std::erase_if(rules, [&](const Rule& r) { return r.key == key; });
    }

    db::Recordset query(const std::string& sql) override {
        statements.push_back(sql);
        for (const auto& r : rules) {
            if (sql.find(r.key) == std::string::npos)
                continue;
            if (r.error)
                throw db::DbError(*r.error);
            return r.rows;
        }
        return db::Recordset({}, {});
    }
    void execute(const std::string& sql) override {
        statements.push_back(sql);
        commands.push_back(sql);
        for (const auto& r : rules)
            if (r.error && sql.find(r.key) != std::string::npos)
                throw db::DbError(*r.error);
    }
    std::string backendName() const override { return "fake"; }

    bool ran(const std::string& part) const {
        for (const auto& s : statements)
            if (s.find(part) != std::string::npos)
                return true;
        return false;
    }
};

// Hands a connection owned by the test to the console, which wants to own one.
class ForwardingConnection : public db::Connection {
public:
    explicit ForwardingConnection(db::Connection& target) : target_(target) {}
    db::Recordset query(const std::string& sql) override { return target_.query(sql); }
    void execute(const std::string& sql) override { target_.execute(sql); }
    std::string backendName() const override { return target_.backendName(); }

private:
    db::Connection& target_;
};

} // namespace quillan::test
