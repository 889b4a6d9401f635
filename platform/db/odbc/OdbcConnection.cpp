#include "platform/db/odbc/OdbcConnection.h"

#include "platform/db/odbc/StatementDeadline.h"

#include <cstdint>
#include <vector>

namespace quillan::db::odbc {

namespace {

SQLPOINTER uintAttr(SQLULEN v) {
    return reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(v));
}

SQLCHAR* sqlText(const std::string& s) {
    // The ODBC narrow API takes non-const pointers but does not write through them.
    return reinterpret_cast<SQLCHAR*>(const_cast<char*>(s.c_str()));
}

// Runs the text on a fresh statement handle; throws DbError when the first statement fails.
void run(const Handle& stmt, const std::string& sql, const InfoSink& sink) {
    if (sql.find('\0') != std::string::npos)
        throw DbError("A statement text contains a NUL character");
    const SQLRETURN rc = SQLExecDirect(stmt.get(), sqlText(sql), static_cast<SQLINTEGER>(sql.size()));
    // SQL_NO_DATA: the first statement was a searched UPDATE or DELETE that touched no row; a
    // batch may still have results after it, so the caller goes on reading.
    if (rc == SQL_NO_DATA)
        return;
    check(rc, stmt, "Running the statement failed");
    if (rc == SQL_SUCCESS_WITH_INFO)
        forwardInfo(stmt, sink);
}

} // namespace

template <class Work> auto OdbcConnection::bounded(const Handle& stmt, Work&& work) {
    StatementDeadline deadline(stmt, limit_);
    try {
        return work();
    } catch (const TimeoutError&) {
        throw;
    } catch (const DbError& e) {
        if (deadline.cancelled())
            throw TimeoutError(timeLimitText(limit_) + " (" + e.what() + ")");
        throw;
    }
}

OdbcConnection::OdbcConnection(const std::string& odbcConnectionString, int loginTimeoutSeconds)
    : dbc_(SQL_HANDLE_DBC, environment()) {
    SQLSetConnectAttr(dbc_.get(), SQL_ATTR_LOGIN_TIMEOUT, uintAttr(static_cast<SQLULEN>(loginTimeoutSeconds)),
                      0);
    SQLSetConnectAttr(dbc_.get(), SQL_ATTR_CONNECTION_TIMEOUT, uintAttr(0), 0);
    std::vector<SQLCHAR> out(1024);
    SQLSMALLINT outLen = 0;
    const SQLRETURN rc =
        SQLDriverConnect(dbc_.get(), nullptr, sqlText(odbcConnectionString), SQL_NTS, out.data(),
                         static_cast<SQLSMALLINT>(out.size()), &outLen, SQL_DRIVER_NOPROMPT);
    check(rc, dbc_, "Connecting to the database failed");
    std::vector<SQLCHAR> name(256);
    SQLSMALLINT nameLen = 0;
    if (succeeded(SQLGetInfo(dbc_.get(), SQL_DBMS_NAME, name.data(), static_cast<SQLSMALLINT>(name.size()),
                             &nameLen)))
        driver_ = reinterpret_cast<const char*>(name.data());
}

std::string OdbcConnection::backendName() const {
    return "ODBC" + (driver_.empty() ? "" : " (" + driver_ + ")");
}

Recordset OdbcConnection::query(const std::string& sql) {
    return query(sql, sink_);
}

void OdbcConnection::execute(const std::string& sql) {
    execute(sql, sink_);
}

std::vector<Recordset> OdbcConnection::queryAll(const std::string& sql) {
    Handle stmt(SQL_HANDLE_STMT, dbc_.get());
    return bounded(stmt, [&] {
        run(stmt, sql, sink_);
        return fetchAllResultSets(stmt, sink_);
    });
}

Recordset OdbcConnection::query(const std::string& sql, const InfoSink& sink) {
    Handle stmt(SQL_HANDLE_STMT, dbc_.get());
    return bounded(stmt, [&] {
        run(stmt, sql, sink);
        Recordset rs = fetchFirstResultSet(stmt, sink);
        drainResults(stmt, sink);
        return rs;
    });
}

void OdbcConnection::execute(const std::string& sql, const InfoSink& sink) {
    Handle stmt(SQL_HANDLE_STMT, dbc_.get());
    bounded(stmt, [&] {
        run(stmt, sql, sink);
        drainResults(stmt, sink);
    });
}

} // namespace quillan::db::odbc
