#pragma once
// A fresh SQLite file reached through the SQLite ODBC driver: the real ODBC plumbing (driver
// manager, statement handles, diagnostics, result sets) without a SQL Server.
#include "DbTestSupport.h"

#include "platform/db/odbc/OdbcConnection.h"

#include <memory>
#include <string>

namespace quillan::dbtest {

inline std::string sqliteOdbcString(const std::filesystem::path& file) {
    return "Driver=SQLite3;Database=" + file.string() + ";";
}

struct SqliteOdbc {
    ScratchDir dir;
    std::filesystem::path file = dir / "test.db";
    std::unique_ptr<db::odbc::OdbcConnection> conn =
        std::make_unique<db::odbc::OdbcConnection>(sqliteOdbcString(file), 5);
};

} // namespace quillan::dbtest
