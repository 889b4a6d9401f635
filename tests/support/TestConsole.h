#pragma once
// A console on a temporary program folder with an exact-text scripted connection, an open run log
// and an operator that refuses every question (the safe answer).
#include "base/Console.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"

#include <memory>
#include <string>

namespace quillan::test {

struct TestConsole {
    TempDir dir;
    RecordingOperator op;
    Console c{dir.path(), op};
    ScriptedConnection* db = nullptr;

    TestConsole() {
        op.answer = false;
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
