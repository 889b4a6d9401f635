#pragma once
// Opening a catalog file: every SQLite handle of the engine is opened here, so that each one reads
// statements the same way.
#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace quillan::db::embedded {

// Opens `file` with the sqlite3_open_v2 `flags` and sets the handle up: a writer waits up to 10 s
// for another, and a double-quoted word is always a name, never a text literal (SQLite's legacy
// reading would turn an unknown column "X" into the text 'X'; SQL Server reports the column).
// Throws DbError starting with `what` when the file cannot be opened.
sqlite3* openSqliteFile(const std::filesystem::path& file, int flags, const std::string& what);

} // namespace quillan::db::embedded
