#include "platform/db/odbc/OdbcFetch.h"

#include "platform/db/Connection.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <optional>
#include <vector>

namespace quillan::db::odbc {

namespace {

struct Column {
    std::string name;
    SQLSMALLINT type = 0;
    SQLSMALLINT scale = 0;
};

std::vector<Column> describeColumns(const Handle& stmt, SQLSMALLINT count) {
    std::vector<Column> cols;
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
        std::vector<SQLCHAR> name(256);
        SQLSMALLINT nameLen = 0, type = 0, scale = 0, nullable = 0;
        SQLULEN size = 0;
        auto rc = SQLDescribeCol(stmt.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLen,
                                 &type, &size, &scale, &nullable);
        if (succeeded(rc) && nameLen >= static_cast<SQLSMALLINT>(name.size())) {
            name.resize(static_cast<std::size_t>(nameLen) + 1);
            rc = SQLDescribeCol(stmt.get(), i, name.data(), static_cast<SQLSMALLINT>(name.size()), &nameLen,
                                &type, &size, &scale, &nullable);
        }
        check(rc, stmt, "Describing a result column failed");
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(nameLen), name.size() - 1);
        cols.push_back({std::string(reinterpret_cast<const char*>(name.data()), n), type, scale});
    }
    return cols;
}

// Text of any length, read in pieces; std::nullopt for NULL.
std::optional<std::string> readText(const Handle& stmt, SQLUSMALLINT col) {
    std::string out;
    std::vector<char> buf(4096);
    for (;;) {
        SQLLEN ind = 0;
        const SQLRETURN rc =
            SQLGetData(stmt.get(), col, SQL_C_CHAR, buf.data(), static_cast<SQLLEN>(buf.size()), &ind);
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "Reading a field failed");
        if (ind == SQL_NULL_DATA)
            return std::nullopt;
        if (rc == SQL_SUCCESS && ind == SQL_NO_TOTAL) {
            out.append(buf.data(), strnlen(buf.data(), buf.size() - 1));
            break;
        }
        // A piece fills the buffer but for its terminating NUL when more is to come.
        const std::size_t room = buf.size() - 1;
        const bool partial = ind == SQL_NO_TOTAL || static_cast<std::size_t>(ind) > room;
        out.append(buf.data(), partial ? room : static_cast<std::size_t>(ind));
        if (rc == SQL_SUCCESS || !partial)
            break;
    }
    return out;
}

template <typename T> std::optional<T> readFixed(const Handle& stmt, SQLUSMALLINT col, SQLSMALLINT cType) {
    T v{};
    SQLLEN ind = 0;
    check(SQLGetData(stmt.get(), col, cType, &v, sizeof v, &ind), stmt, "Reading a field failed");
    if (ind == SQL_NULL_DATA)
        return std::nullopt;
    return v;
}

// Exact numerics arrive as text so that no digit is lost on the way: whole ones become integers.
Value exactNumber(std::string text, SQLSMALLINT scale) {
    std::int64_t i = 0;
    if (scale == 0) {
        auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), i);
        if (ec == std::errc() && end == text.data() + text.size())
            return Value(i);
    }
    double d = 0;
    auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), d);
    if (ec == std::errc() && end == text.data() + text.size())
        return Value(d);
    return Value(std::move(text));
}

Value readField(const Handle& stmt, SQLUSMALLINT col, const Column& c) {
    switch (c.type) {
    case SQL_BIT:
    case SQL_TINYINT:
    case SQL_SMALLINT:
    case SQL_INTEGER:
    case SQL_BIGINT: {
        auto v = readFixed<SQLBIGINT>(stmt, col, SQL_C_SBIGINT);
        return v ? Value(static_cast<std::int64_t>(*v)) : Value();
    }
    case SQL_REAL:
    case SQL_FLOAT:
    case SQL_DOUBLE: {
        auto v = readFixed<SQLDOUBLE>(stmt, col, SQL_C_DOUBLE);
        return v ? Value(static_cast<double>(*v)) : Value();
    }
    case SQL_DECIMAL:
    case SQL_NUMERIC: {
        auto t = readText(stmt, col);
        return t ? exactNumber(std::move(*t), c.scale) : Value();
    }
    case SQL_TYPE_TIMESTAMP:
    case SQL_TYPE_DATE:
    case SQL_TIMESTAMP:
    case SQL_DATE: {
        // Drivers give dates as "yyyy-mm-dd hh:mm:ss[.fff]"; a text that is no date stays text.
        auto t = readText(stmt, col);
        if (!t)
            return Value();
        if (auto d = DateTime::parse(*t))
            return Value(*d);
        return Value(std::move(*t));
    }
    default: {
        auto t = readText(stmt, col);
        return t ? Value(std::move(*t)) : Value();
    }
    }
}

} // namespace

void forwardInfo(const Handle& stmt, const InfoSink& sink) {
    if (!sink)
        return;
    for (const auto& m : messages(stmt))
        sink(m.text);
}

namespace {

// Reads the rows of the current result set, which has `count` columns.
Recordset readResultSet(const Handle& stmt, SQLSMALLINT count) {
    const auto cols = describeColumns(stmt, count);
    std::vector<std::vector<Value>> rows;
    for (;;) {
        const SQLRETURN rc = SQLFetch(stmt.get());
        if (rc == SQL_NO_DATA)
            break;
        check(rc, stmt, "Fetching a row failed");
        std::vector<Value> row;
        row.reserve(cols.size());
        for (std::size_t i = 0; i < cols.size(); ++i)
            row.push_back(readField(stmt, static_cast<SQLUSMALLINT>(i + 1), cols[i]));
        rows.push_back(std::move(row));
    }
    std::vector<std::string> names;
    for (const auto& c : cols)
        names.push_back(c.name);
    return Recordset(std::move(names), std::move(rows));
}

// Moves to the next result; false when there is none.
bool nextResult(const Handle& stmt, const InfoSink& sink) {
    const SQLRETURN rc = SQLMoreResults(stmt.get());
    if (rc == SQL_NO_DATA)
        return false;
    check(rc, stmt, "A later statement of the batch failed");
    if (rc == SQL_SUCCESS_WITH_INFO)
        forwardInfo(stmt, sink);
    return true;
}

SQLSMALLINT columnCount(const Handle& stmt) {
    SQLSMALLINT count = 0;
    check(SQLNumResultCols(stmt.get(), &count), stmt, "Reading the result columns failed");
    return count;
}

} // namespace

Recordset fetchFirstResultSet(const Handle& stmt, const InfoSink& sink) {
    for (;;) {
        if (const auto count = columnCount(stmt); count > 0)
            return readResultSet(stmt, count);
        if (!nextResult(stmt, sink))
            return {};
    }
}

std::vector<Recordset> fetchAllResultSets(const Handle& stmt, const InfoSink& sink) {
    std::vector<Recordset> all;
    do {
        if (const auto count = columnCount(stmt); count > 0)
            all.push_back(readResultSet(stmt, count));
    } while (nextResult(stmt, sink));
    return all;
}

void drainResults(const Handle& stmt, const InfoSink& sink) {
    while (nextResult(stmt, sink)) {
    }
}

} // namespace quillan::db::odbc
