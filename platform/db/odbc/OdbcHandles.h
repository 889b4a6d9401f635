#pragma once
// Owning wrappers of ODBC handles and the translation of ODBC diagnostics into DbError.
#ifdef _WIN32
#include <windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

#include <string>
#include <string_view>
#include <vector>

namespace quillan::db::odbc {

class Handle {
public:
    Handle(SQLSMALLINT type, SQLHANDLE parent); // throws DbError when the driver manager refuses
    ~Handle();
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    SQLHANDLE get() const { return h_; }
    SQLSMALLINT type() const { return type_; }

private:
    SQLSMALLINT type_;
    SQLHANDLE h_ = SQL_NULL_HANDLE;
};

// The process's ODBC environment (ODBC 3 behaviour), created on first use.
SQLHENV environment();

struct Message {
    std::string state;
    SQLINTEGER native = 0;
    std::string text;
};

std::vector<Message> messages(const Handle& h);
// The messages as one line: errors only when there are any (a failed statement also reports
// earlier informational messages), each text once, joined by "; ".
std::string describe(const std::vector<Message>& msgs);

inline bool succeeded(SQLRETURN rc) {
    return rc == SQL_SUCCESS || rc == SQL_SUCCESS_WITH_INFO;
}
// Throws DbError with the handle's diagnostics (or `what` when there are none) unless rc succeeded.
void check(SQLRETURN rc, const Handle& h, std::string_view what);

} // namespace quillan::db::odbc
