#pragma once
// Translation of the application's OLE DB connection string into an ODBC one for SQL Server.
//   Data Source          -> Server (see below)
//   User ID              -> UID
//   Password (else PWD)  -> PWD     (Password wins when both are given and it is not blank)
//   Initial Catalog      -> Database
//   Integrated Security=SSPI (or true/yes) -> Trusted_Connection=Yes, user and password dropped
// Every other OLE DB key (Provider, Persist Security Info, ...) has no ODBC meaning and is dropped.
//
// The driver is the environment variable QUILLAN_ODBC_DRIVER when set, else "FreeTDS" on POSIX and
// "ODBC Driver 17 for SQL Server" on Windows. A FreeTDS driver (its name contains "TDS") also gets
// TDS_Version=7.4, ClientCharset=UTF-8, and the server split into Server and Port: "host,port" gives
// the port, "host\INSTANCE" is kept whole (FreeTDS then asks the server's browser service for the
// port, which is slow to fail: prefer "host,port"), and a bare host gets Port=1433. "(local)" and
// "." mean this machine, which FreeTDS only knows as 127.0.0.1.
#include "platform/db/ConnectionString.h"

#include <string>
#include <string_view>

namespace quillan::db {

// "Driver=..." or "DSN=..." at the start: an ODBC string to be used as it is.
bool isOdbcConnectionString(std::string_view text);

std::string defaultOdbcDriver();
// Seconds the driver may take to log in; 0 is no limit. QUILLAN_ODBC_LOGIN_TIMEOUT, default 30.
int odbcLoginTimeoutSeconds();

// One "key=value" element, the value braced when it holds ';', '}', a leading '{', '"' or '\''
// or edge blanks, so that ConnectionString::parse reads back exactly the value.
std::string odbcPair(std::string_view key, std::string_view value);

struct SqlServerLogin {
    std::string server;
    std::string user;
    std::string password; // left out of the string when blank after trimming
    std::string database;
    bool trusted = false; // Windows (integrated) login
};

std::string sqlServerOdbcString(std::string_view driver, const SqlServerLogin& login);
std::string toOdbcConnectionString(const ConnectionString& oledb, std::string_view driver);

} // namespace quillan::db
