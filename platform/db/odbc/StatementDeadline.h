#pragma once
// The time limit of one ODBC statement. The driver is told the limit (SQL_ATTR_QUERY_TIMEOUT, in
// whole seconds: SQL Server's driver then cancels the statement on the server), and a watchdog
// thread calls SQLCancel when the limit passes, for drivers that ignore the attribute or a fetch
// that hangs after the statement itself finished. SQLCancel is the one ODBC call meant to be made
// from another thread while a statement runs.
#include "platform/db/odbc/OdbcHandles.h"

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace quillan::db::odbc {

class StatementDeadline {
public:
    // Zero: no limit, no thread.
    StatementDeadline(const Handle& stmt, std::chrono::milliseconds limit);
    ~StatementDeadline(); // the statement is done: the watchdog stops
    StatementDeadline(const StatementDeadline&) = delete;
    StatementDeadline& operator=(const StatementDeadline&) = delete;

    // True when the watchdog cancelled the statement.
    bool cancelled() const;

private:
    mutable std::mutex m_;
    std::condition_variable done_;
    bool finished_ = false;
    bool cancelled_ = false;
    std::thread watchdog_;
};

} // namespace quillan::db::odbc
