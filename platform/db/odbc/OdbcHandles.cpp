#include "platform/db/odbc/OdbcHandles.h"

#include "platform/db/Connection.h"

#include <algorithm>
#include <cstdint>

namespace quillan::db::odbc {

Handle::Handle(SQLSMALLINT type, SQLHANDLE parent) : type_(type) {
    if (!succeeded(SQLAllocHandle(type, parent, &h_)))
        throw DbError("The ODBC driver manager could not allocate a handle");
}

Handle::~Handle() {
    if (h_ == SQL_NULL_HANDLE)
        return;
    if (type_ == SQL_HANDLE_DBC)
        SQLDisconnect(h_); // harmless when not connected
    SQLFreeHandle(type_, h_);
}

SQLHENV environment() {
    static const Handle env(SQL_HANDLE_ENV, SQL_NULL_HANDLE);
    // Thread-safe once; a failure throws and the next call tries again.
    [[maybe_unused]] static const bool odbc3 = [] {
        const auto version = reinterpret_cast<SQLPOINTER>(static_cast<std::uintptr_t>(SQL_OV_ODBC3));
        check(SQLSetEnvAttr(env.get(), SQL_ATTR_ODBC_VERSION, version, 0), env,
              "Setting the ODBC version failed");
        return true;
    }();
    return env.get();
}

std::vector<Message> messages(const Handle& h) {
    std::vector<Message> out;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLCHAR state[6] = {};
        SQLINTEGER native = 0;
        std::vector<SQLCHAR> text(1024);
        SQLSMALLINT len = 0;
        SQLRETURN rc = SQLGetDiagRec(h.type(), h.get(), i, state, &native, text.data(),
                                     static_cast<SQLSMALLINT>(text.size()), &len);
        if (rc == SQL_SUCCESS_WITH_INFO && len >= static_cast<SQLSMALLINT>(text.size())) {
            text.resize(static_cast<std::size_t>(len) + 1);
            rc = SQLGetDiagRec(h.type(), h.get(), i, state, &native, text.data(),
                               static_cast<SQLSMALLINT>(text.size()), &len);
        }
        if (!succeeded(rc))
            break;
        const auto n = std::min<std::size_t>(static_cast<std::size_t>(len), text.size() - 1);
        std::string line(reinterpret_cast<const char*>(text.data()), n);
        // One message is one line of the run log.
        std::replace_if(
            line.begin(), line.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
        while (!line.empty() && line.back() == ' ')
            line.pop_back();
        out.push_back({std::string(reinterpret_cast<const char*>(state)), native, std::move(line)});
    }
    return out;
}

std::string describe(const std::vector<Message>& msgs) {
    // SQLSTATE class "01" is a warning or an informational message; everything else is an error.
    bool anyError = false;
    for (const auto& m : msgs)
        anyError = anyError || m.state.rfind("01", 0) != 0;
    std::vector<std::string> seen;
    std::string out;
    for (const auto& m : msgs) {
        if (anyError && m.state.rfind("01", 0) == 0)
            continue;
        if (std::find(seen.begin(), seen.end(), m.text) != seen.end())
            continue;
        seen.push_back(m.text);
        if (!out.empty())
            out += "; ";
        out += m.text;
    }
    return out;
}

void check(SQLRETURN rc, const Handle& h, std::string_view what) {
    if (succeeded(rc))
        return;
    const auto msgs = messages(h);
    std::string text = describe(msgs);
    if (text.empty())
        text = std::string(what) + " (ODBC return code " + std::to_string(rc) + ")";
    // HYT00: the driver's own query time-out ran out and it cancelled the statement.
    for (const auto& m : msgs)
        if (m.state == "HYT00")
            throw TimeoutError(text);
    throw DbError(text);
}

} // namespace quillan::db::odbc
