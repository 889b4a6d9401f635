#pragma once
// A fresh SQLite file reached through the SQLite ODBC driver: the real ODBC plumbing (driver
// manager, statement handles, diagnostics, result sets) without a SQL Server.
#include "tests/platform/TestSupport.h"

#include "platform/db/odbc/OdbcConnection.h"

#include <memory>

namespace quillan::db::test {

using quillan::test::TempDir;

struct SqliteOdbc {
    TempDir dir;
    std::unique_ptr<db::odbc::OdbcConnection> conn = std::make_unique<db::odbc::OdbcConnection>(
        "Driver=SQLite3;Database=" + (dir / "test.db").string(), 5);
};

} // namespace quillan::db::test
