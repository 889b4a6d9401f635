#pragma once
// Reading a statement's results: the first result set whole into a Recordset, and draining the
// rest so that an error raised by a later statement of a batch is not lost.
#include "platform/db/Recordset.h"
#include "platform/db/odbc/OdbcHandles.h"

#include <functional>
#include <string>
#include <vector>

namespace quillan::db::odbc {

using InfoSink = std::function<void(const std::string& message)>;

// Passes the informational messages of the last call on the statement to the sink.
void forwardInfo(const Handle& stmt, const InfoSink& sink);

// After a successful SQLExecDirect: moves to the first result set that has columns and reads it.
// A batch without one gives an empty Recordset without columns.
Recordset fetchFirstResultSet(const Handle& stmt, const InfoSink& sink);

// After a successful SQLExecDirect: every result set that has columns, in order.
std::vector<Recordset> fetchAllResultSets(const Handle& stmt, const InfoSink& sink);

// Discards what is left (rows and further results); throws DbError on a failed later statement.
void drainResults(const Handle& stmt, const InfoSink& sink);

} // namespace quillan::db::odbc
