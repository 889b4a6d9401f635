// The Connection and DbAdmin faces of the embedded engine.
#include "platform/FileCopy.h"
#include "platform/PathMap.h"
#include "platform/db/embedded/Catalogs.h"
#include "platform/db/embedded/EmbeddedEngine.h"
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/Session.h"
#include "platform/db/embedded/SqliteFile.h"

#include <algorithm>
#include <map>
#include <system_error>
#include <vector>

namespace quillan::db {

namespace fs = std::filesystem;
using embedded::Session;

namespace {

embedded::NativePathFn withDefault(embedded::NativePathFn fn) {
    if (fn)
        return fn;
    return [](const std::string& text) { return PathMap().toNative(text); };
}

class EmbeddedConnection : public Connection {
public:
    explicit EmbeddedConnection(const EmbeddedOptions& o)
        : session_(o.dataFolder, o.currentDatabase, withDefault(o.nativePath)) {}
    Recordset query(const std::string& sql) override {
        auto rs = session_.run(sql);
        return rs ? std::move(*rs) : Recordset();
    }
    void execute(const std::string& sql) override { session_.run(sql); }
    std::string backendName() const override { return "embedded SQLite engine"; }
    void setTimeLimit(std::chrono::milliseconds limit) override { session_.setTimeLimit(limit); }

private:
    Session session_;
};

class SqliteHandle {
public:
    SqliteHandle(const fs::path& file, int flags)
        : db_(embedded::openSqliteFile(file, flags, "Cannot open '" + file.string() + "'")) {}
    ~SqliteHandle() { sqlite3_close_v2(db_); }
    SqliteHandle(const SqliteHandle&) = delete;
    SqliteHandle& operator=(const SqliteHandle&) = delete;
    sqlite3* get() const { return db_; }

private:
    sqlite3* db_ = nullptr;
};

// Copies a whole database page by page with SQLite's online backup, reporting percent done.
void copyDatabase(sqlite3* from, sqlite3* to, const PercentCallback& progress, const std::string& what) {
    sqlite3_backup* b = sqlite3_backup_init(to, "main", from, "main");
    if (!b)
        throw DbError(what + " failed: " + sqlite3_errmsg(to));
    int last = -1;
    int rc = SQLITE_OK;
    int step = 256;
    while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        rc = sqlite3_backup_step(b, step);
        int total = sqlite3_backup_pagecount(b);
        // About fifty progress reports whatever the size: fewer, larger steps copy faster.
        step = std::max(256, total / 50);
        int remaining = sqlite3_backup_remaining(b);
        int percent =
            total > 0 ? static_cast<int>((static_cast<long long>(total - remaining) * 100) / total) : 100;
        if (rc == SQLITE_DONE)
            percent = 100;
        if (percent != last && progress)
            progress(percent);
        last = percent;
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
            sqlite3_sleep(50);
    }
    sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE)
        throw DbError(what + " failed: " + sqlite3_errstr(rc));
    if (last != 100 && progress)
        progress(100);
}

// A consistent copy of a catalog file at file-copy speed: a read transaction holds SQLite's shared
// lock, under which no writer can change the file (a hot journal is rolled back first), and the
// bytes are copied in about twenty steps with progress, inside the kernel where the system can. A catalog in
// WAL mode is copied through SQLite's online backup instead, since its content is not all in the main file.
void copyConsistent(sqlite3* from, const fs::path& source, const fs::path& target,
                    const PercentCallback& progress, const std::string& what) {
    sqlite3_stmt* s = nullptr;
    std::string mode;
    if (sqlite3_prepare_v2(from, "PRAGMA journal_mode", -1, &s, nullptr) == SQLITE_OK &&
        sqlite3_step(s) == SQLITE_ROW)
        mode = reinterpret_cast<const char*>(sqlite3_column_text(s, 0));
    sqlite3_finalize(s);
    if (embedded::iequals(mode, "wal")) {
        SqliteHandle to(target, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        copyDatabase(from, to.get(), progress, what);
        return;
    }
    if (sqlite3_exec(from, "BEGIN; SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
        SQLITE_OK)
        throw DbError(what + " failed: " + sqlite3_errmsg(from));
    struct EndRead {
        sqlite3* db;
        ~EndRead() { sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr); }
    } endRead{from};
    const std::uintmax_t total = fs::file_size(source);
    // About twenty steps (at least 8 MiB, at most 64 MiB each) moved inside the kernel where it can.
    const std::uint64_t chunk = std::clamp<std::uint64_t>(total / 20, 8u << 20, 64u << 20);
    int last = -1;
    std::uint64_t copied = 0;
    try {
        copied = copyFileInChunks(
            source, target,
            [&](std::uint64_t done, std::uint64_t) {
                int percent =
                    total > 0 ? static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total) : 100;
                if (percent != last && progress)
                    progress(percent);
                last = percent;
            },
            chunk);
    } catch (const std::system_error& e) {
        throw DbError(what + " failed while copying '" + source.string() + "': " + e.code().message() + ".");
    }
    // The shared lock keeps the size fixed; a different count means the copy is not the catalog.
    if (copied != total)
        throw DbError(what + " failed while copying '" + source.string() + "'.");
    if (last != 100 && progress)
        progress(100);
}

class EmbeddedAdmin : public DbAdmin {
public:
    EmbeddedAdmin(fs::path folder, embedded::NativePathFn nativePath)
        : folder_(std::move(folder)), nativePath_(withDefault(std::move(nativePath))) {}

    void connect(const std::string&, const std::string&, const std::string&) override {
        std::error_code ec;
        if (!fs::is_directory(folder_, ec))
            throw DbError("The data folder '" + folder_.string() + "' does not exist.");
        connected_ = true;
    }
    void disconnect() override {
        sessions_.clear();
        connected_ = false;
    }
    void setTimeLimit(std::chrono::milliseconds limit) override {
        limit_ = limit;
        for (auto& [name, s] : sessions_)
            s->setTimeLimit(limit);
    }
    void executeBatch(const std::string& database, const std::string& batch) override {
        session(database).run(batch);
    }
    Recordset query(const std::string& database, const std::string& select) override {
        auto rs = session(database).run(select);
        return rs ? std::move(*rs) : Recordset();
    }
    void backup(const std::string& database, const fs::path& file, PercentCallback progress) override {
        requireConnected();
        auto source = catalogFile(database);
        fs::path partial = file;
        partial += ".partial";
        std::error_code ec;
        fs::remove(partial, ec);
        try {
            SqliteHandle from(source, SQLITE_OPEN_READONLY);
            copyConsistent(from.get(), source, partial, progress, "BACKUP DATABASE '" + database + "'");
            fs::rename(partial, file);
        } catch (const fs::filesystem_error& e) {
            fs::remove(partial, ec);
            throw DbError("BACKUP DATABASE '" + database + "' failed: " + e.what());
        } catch (...) {
            fs::remove(partial, ec);
            throw;
        }
    }
    void restore(const std::string& database, const fs::path& file, PercentCallback progress) override {
        requireConnected();
        std::error_code ec;
        if (!fs::is_regular_file(file, ec))
            throw DbError("RESTORE DATABASE '" + database + "': the backup file '" + file.string() +
                          "' does not exist.");
        SqliteHandle from(file, SQLITE_OPEN_READONLY);
        // A file that is no database fails here rather than after the catalog was emptied.
        if (sqlite3_exec(from.get(), "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            throw DbError("RESTORE DATABASE '" + database + "': '" + file.string() +
                          "' is not a database backup.");
        // As the server does: a database another session still uses cannot be replaced.
        for (int spid : attachedProcesses(database))
            if (!embedded::sessionKilled(spid))
                throw DbError("Exclusive access could not be obtained because the database is in use. "
                              "RESTORE DATABASE '" +
                              database + "' is terminating abnormally (session " + std::to_string(spid) +
                              " uses it).");
        auto existing = embedded::findCatalog(folder_, database);
        fs::path target = existing ? *existing : embedded::createCatalog(folder_, database);
        SqliteHandle to(target, SQLITE_OPEN_READWRITE);
        copyDatabase(from.get(), to.get(), progress, "RESTORE DATABASE '" + database + "'");
    }
    std::vector<int> attachedProcesses(const std::string& database) override {
        std::vector<int> out;
        for (const auto& s : embedded::sessions(folder_)) {
            bool mine = false;
            for (const auto& [name, own] : sessions_)
                mine = mine || own->spid() == s.spid;
            if (!mine && embedded::iequals(s.database, database))
                out.push_back(s.spid);
        }
        return out;
    }
    void endProcess(int spid) override { embedded::killSession(spid, 0); }

private:
    fs::path folder_;
    embedded::NativePathFn nativePath_;
    bool connected_ = false;
    std::chrono::milliseconds limit_{0};
    std::map<std::string, std::unique_ptr<Session>> sessions_;

    void requireConnected() const {
        if (!connected_)
            throw DbError("The database administration interface is not connected.");
    }
    fs::path catalogFile(const std::string& database) const {
        auto f = embedded::findCatalog(folder_, database);
        if (!f)
            throw DbError("Database '" + database +
                          "' does not exist. Make sure that the name is entered correctly.");
        return *f;
    }
    Session& session(const std::string& database) {
        requireConnected();
        auto& s = sessions_[embedded::lower(database)];
        if (!s || embedded::sessionKilled(s->spid()))
            s = std::make_unique<Session>(folder_, database, nativePath_);
        s->setTimeLimit(limit_);
        return *s;
    }
};

} // namespace

std::unique_ptr<Connection> openEmbeddedConnection(const EmbeddedOptions& options) {
    std::error_code ec;
    fs::create_directories(options.dataFolder, ec);
    return std::make_unique<EmbeddedConnection>(options);
}

std::unique_ptr<DbAdmin> openEmbeddedAdmin(const fs::path& dataFolder,
                                           std::function<fs::path(const std::string&)> nativePath) {
    return std::make_unique<EmbeddedAdmin>(dataFolder, std::move(nativePath));
}

} // namespace quillan::db
