#include "platform/db/embedded/SqliteFile.h"

#include "platform/db/Connection.h"

namespace quillan::db::embedded {

sqlite3* openSqliteFile(const std::filesystem::path& file, int flags, const std::string& what) {
    sqlite3* db = nullptr;
    // SQLite takes file names in UTF-8 on every system (on Windows not in the ANSI code page).
    const std::u8string name = file.u8string();
    int rc = sqlite3_open_v2(reinterpret_cast<const char*>(name.c_str()), &db, flags, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    if (rc != SQLITE_OK) {
        std::string m = db ? sqlite3_errmsg(db) : "out of memory";
        sqlite3_close(db);
        throw DbError(what + ": " + m);
    }
    sqlite3_busy_timeout(db, 10000);
    return db;
}

} // namespace quillan::db::embedded
