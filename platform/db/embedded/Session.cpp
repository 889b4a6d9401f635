#include "platform/db/embedded/Session.h"

#include "platform/DateTime.h"
#include "platform/SystemInfo.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Catalogs.h"
#include "platform/db/embedded/Importers.h"
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/SqlFunctions.h"
#include "platform/db/embedded/SqliteFile.h"
#include "platform/db/embedded/Translator.h"

namespace quillan::db::embedded {

namespace fs = std::filesystem;

namespace {

// SQLite's messages in the words SQL Server uses for the same fault.
std::string serverMessage(std::string m) {
    auto strip = [](std::string name) {
        std::size_t dot = name.rfind('.');
        return dot == std::string::npos ? name : name.substr(dot + 1);
    };
    if (m.rfind("no such table: ", 0) == 0)
        return "Invalid object name '" + strip(m.substr(15)) + "'.";
    if (m == "parser stack overflow")
        return "The statement is nested too deeply for the embedded database engine (SQLite's parser "
               "stack overflowed).";
    if (m.rfind("no such column: ", 0) == 0)
        return "Invalid column name '" + strip(m.substr(16)) + "'.";
    if (m.find("already exists") != std::string::npos && m.rfind("table ", 0) == 0)
        return "There is already an object named " + m.substr(6, m.find(" already") - 6) +
               " in the database.";
    return m;
}

void execOrThrow(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string m = err ? err : "unknown error";
        sqlite3_free(err);
        throw DbError(serverMessage(m));
    }
}

// About the memory a translation takes: its texts, which dominate it.
std::size_t programBytes(const std::vector<Step>& steps) {
    std::size_t n = 0;
    for (const Step& s : steps) {
        n += sizeof(Step) + s.sql.sql.size() + s.argument.size() + s.table.size() + s.catalog.size();
        for (const auto& c : s.sql.catalogs)
            n += c.size();
        for (const auto& r : s.sql.rowsets)
            n += sizeof(r) + r.file.size() + r.sheet.size() + r.tempTable.size();
        for (const auto& c : s.sql.columnNames)
            n += sizeof(c) + (c ? c->size() : 0);
        n += programBytes(s.body) + programBytes(s.other);
    }
    return n;
}

Value columnValue(sqlite3_stmt* s, int i) {
    switch (sqlite3_column_type(s, i)) {
    case SQLITE_INTEGER:
        return Value(static_cast<std::int64_t>(sqlite3_column_int64(s, i)));
    case SQLITE_FLOAT:
        return Value(sqlite3_column_double(s, i));
    case SQLITE_NULL:
        return Value();
    default: {
        const char* p = reinterpret_cast<const char*>(sqlite3_column_text(s, i));
        std::string text(p ? p : "", static_cast<std::size_t>(sqlite3_column_bytes(s, i)));
        const char* decl = sqlite3_column_decltype(s, i);
        if (decl && isDateType(decl))
            if (auto d = DateTime::parse(text))
                return Value(*d);
        return Value(std::move(text));
    }
    }
}

} // namespace

Session::Session(fs::path folder, std::string database, NativePathFn nativePath)
    : folder_(std::move(folder)), database_(std::move(database)), nativePath_(std::move(nativePath)) {
    std::error_code ec;
    if (!fs::is_directory(folder_, ec))
        throw DbError("The data folder '" + folder_.string() + "' does not exist.");
    auto file = findCatalog(folder_, database_);
    if (!file) {
        if (!iequals(database_, "master"))
            throw DbError("Database '" + database_ +
                          "' does not exist. Make sure that the name is entered correctly.");
        file = createCatalog(folder_, "master");
    }
    database_ = file->stem().string();
    db_ = openSqliteFile(*file, SQLITE_OPEN_READWRITE, "Cannot open database '" + database_ + "'");
    // The destructor does not run for a constructor that throws: close the handle here.
    try {
        registerFunctions(db_);
        execOrThrow(
            db_, "CREATE TEMP TABLE quillan_sysdatabases (dbid INTEGER, name TEXT COLLATE NOCASE, "
                 "filename TEXT, crdate TEXT);"
                 "CREATE TEMP TABLE quillan_sysprocesses (spid INTEGER, kpid INTEGER, blocked INTEGER, "
                 "dbid INTEGER, uid INTEGER, status TEXT COLLATE NOCASE, hostname TEXT COLLATE NOCASE, "
                 "program_name TEXT COLLATE NOCASE, cmd TEXT COLLATE NOCASE, nt_domain TEXT COLLATE NOCASE, "
                 "nt_username TEXT COLLATE NOCASE, loginame TEXT COLLATE NOCASE, login_time TEXT)");
        spid_ = registerSession(folder_, database_);
        // @@SPID: the session's number, bound to this handle.
        sqlite3_create_function(
            db_, "quillan_spid", 0, SQLITE_UTF8, &spid_,
            [](sqlite3_context* ctx, int, sqlite3_value**) {
                sqlite3_result_int(ctx, *static_cast<const int*>(sqlite3_user_data(ctx)));
            },
            nullptr, nullptr);
    } catch (...) {
        sqlite3_close_v2(db_);
        throw;
    }
}

Session::~Session() {
    unregisterSession(spid_);
    sqlite3_close_v2(db_);
}

fs::path Session::native(const std::string& text) const {
    return nativePath_ ? nativePath_(text) : fs::path(text);
}

void Session::checkAlive() const {
    if (sessionKilled(spid_))
        throw DbError("The connection was ended by KILL " + std::to_string(spid_) +
                      "; open a new connection.");
}

const Program& Session::translated(const std::string& batch) {
    auto it = cache_.find(batch);
    if (it != cache_.end())
        return it->second;
    Program p = translateBatch(batch, database_);
    const std::size_t bytes = batch.size() + programBytes(p.steps);
    if (bytes > kTranslationCacheBytes) {
        uncached_ = std::move(p);
        return uncached_;
    }
    // Batches repeat in loops over rows; when the cache is full it starts again rather than
    // tracking use, which keeps it simple and bounded.
    if (cache_.size() >= kTranslationCacheBatches || cacheBytes_ + bytes > kTranslationCacheBytes) {
        cache_.clear();
        cacheBytes_ = 0;
    }
    cacheBytes_ += bytes;
    return cache_.emplace(batch, std::move(p)).first->second;
}

int Session::pastDeadline(void* session) {
    auto* self = static_cast<Session*>(session);
    if (std::chrono::steady_clock::now() < self->deadline_)
        return 0;
    self->timedOut_ = true;
    return 1;
}

std::optional<Recordset> Session::run(const std::string& batch) {
    checkAlive();
    std::optional<Recordset> first;
    if (limit_.count() <= 0) {
        runSteps(translated(batch).steps, first);
        return first;
    }
    // Checked every thousand virtual-machine steps: a long join is stopped within microseconds.
    deadline_ = std::chrono::steady_clock::now() + limit_;
    timedOut_ = false;
    sqlite3_progress_handler(db_, 1000, &Session::pastDeadline, this);
    struct Unhook {
        sqlite3* db;
        ~Unhook() { sqlite3_progress_handler(db, 0, nullptr, nullptr); }
    } unhook{db_};
    try {
        runSteps(translated(batch).steps, first);
    } catch (const DbError& e) {
        if (timedOut_)
            throw TimeoutError(timeLimitText(limit_) + " (" + e.what() + ")");
        throw;
    }
    return first;
}

std::optional<Recordset> Session::runNative(const std::string& sqliteText) {
    checkAlive();
    return statement(sqliteText, nullptr);
}

void Session::runSteps(const std::vector<Step>& steps, std::optional<Recordset>& first) {
    for (const Step& s : steps)
        runStep(s, first);
}

void Session::attach(const std::string& catalog) {
    std::string key = lower(catalog);
    if (iequals(catalog, database_) || attached_.count(key))
        return;
    auto file = findCatalog(folder_, catalog);
    if (!file)
        throw DbError("Database '" + catalog +
                      "' does not exist. Make sure that the name is entered correctly.");
    sqlite3_stmt* s = nullptr;
    std::string sql = "ATTACH DATABASE ?1 AS " + quoteIdent(key);
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
        throw DbError(sqlite3_errmsg(db_));
    const std::u8string name = file->u8string(); // SQLite's names are UTF-8 on every system
    sqlite3_bind_text(s, 1, reinterpret_cast<const char*>(name.c_str()), -1, SQLITE_TRANSIENT);
    int rc = sqlite3_step(s);
    sqlite3_finalize(s);
    if (rc != SQLITE_DONE)
        throw DbError("Cannot open database '" + catalog + "': " + sqlite3_errmsg(db_));
    attached_[key] = file->string();
}

std::string Session::schemaOf(const std::string& catalog) {
    if (catalog.empty() || iequals(catalog, database_))
        return "main";
    attach(catalog);
    return lower(catalog);
}

void Session::refreshSysDatabases() {
    execOrThrow(db_, "DELETE FROM temp.quillan_sysdatabases");
    for (const auto& c : listCatalogs(folder_))
        execOrThrow(db_, "INSERT INTO temp.quillan_sysdatabases VALUES (" + std::to_string(c.dbid) + ", " +
                             quoteLiteral(c.name) + ", " + quoteLiteral(c.file.string()) + ", NULL)");
}

void Session::refreshSysProcesses() {
    execOrThrow(db_, "DELETE FROM temp.quillan_sysprocesses");
    auto catalogs = listCatalogs(folder_);
    // The host of every session is this computer, named as the console names it.
    const std::string host = computerName();
    for (const auto& p : sessions(folder_)) {
        int dbid = 0;
        for (const auto& c : catalogs)
            if (iequals(c.name, p.database))
                dbid = c.dbid;
        execOrThrow(db_, "INSERT INTO temp.quillan_sysprocesses VALUES (" + std::to_string(p.spid) +
                             ", 0, 0, " + std::to_string(dbid) + ", 1, " +
                             quoteLiteral(p.spid == spid_ ? "runnable" : "sleeping") + ", " +
                             quoteLiteral(host) + ", 'Quillan', 'AWAITING COMMAND', '', " +
                             quoteLiteral(p.user) + ", " + quoteLiteral(p.user) + ", NULL)");
    }
}

std::optional<Recordset> Session::statement(const std::string& text, const SqlText* meta) {
    const char* tail = text.c_str();
    std::optional<Recordset> result;
    while (tail && *tail) {
        sqlite3_stmt* s = nullptr;
        if (sqlite3_prepare_v2(db_, tail, -1, &s, &tail) != SQLITE_OK)
            throw DbError(serverMessage(sqlite3_errmsg(db_)));
        if (!s)
            continue; // blank remainder
        int n = sqlite3_column_count(s);
        std::vector<std::vector<Value>> rows;
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
            if (result)
                continue;
            std::vector<Value> row;
            row.reserve(static_cast<std::size_t>(n));
            for (int i = 0; i < n; ++i)
                row.push_back(columnValue(s, i));
            rows.push_back(std::move(row));
        }
        if (rc != SQLITE_DONE) {
            std::string m = serverMessage(sqlite3_errmsg(db_));
            sqlite3_finalize(s);
            throw DbError(m);
        }
        if (n > 0 && !result) {
            std::vector<std::string> names;
            for (int i = 0; i < n; ++i) {
                const char* c = sqlite3_column_name(s, i);
                std::string name = c ? c : "";
                if (meta && meta->columnNames.size() == static_cast<std::size_t>(n) && meta->columnNames[i])
                    name = *meta->columnNames[i];
                names.push_back(name);
            }
            result = Recordset(std::move(names), std::move(rows));
        }
        sqlite3_finalize(s);
    }
    return result;
}

void Session::runSql(const SqlText& sql, std::optional<Recordset>& first) {
    for (const auto& c : sql.catalogs)
        attach(c);
    if (sql.needsSysDatabases)
        refreshSysDatabases();
    if (sql.needsSysProcesses)
        refreshSysProcesses();
    for (const auto& r : sql.rowsets)
        loadSheet(db_, r, native(r.file));
    try {
        auto rs = statement(sql.sql, &sql);
        if (rs && !first)
            first = std::move(rs);
    } catch (...) {
        for (const auto& r : sql.rowsets)
            sqlite3_exec(db_, ("DROP TABLE IF EXISTS temp." + quoteIdent(r.tempTable)).c_str(), nullptr,
                         nullptr, nullptr);
        throw;
    }
    for (const auto& r : sql.rowsets)
        execOrThrow(db_, "DROP TABLE IF EXISTS temp." + quoteIdent(r.tempTable));
}

void Session::runStep(const Step& step, std::optional<Recordset>& first) {
    checkAlive();
    switch (step.kind) {
    case Step::Kind::Noop:
        return;
    case Step::Kind::Sql:
        return runSql(step.sql, first);
    case Step::Kind::Block:
        return runSteps(step.body, first);
    case Step::Kind::If: {
        std::optional<Recordset> cond;
        runSql(step.sql, cond);
        bool yes = cond && !cond->eof() && !cond->field(std::size_t{0}).isNull() &&
                   cond->field(std::size_t{0}).asInt() != 0;
        return runSteps(yes ? step.body : step.other, first);
    }
    case Step::Kind::Kill:
        return killSession(static_cast<int>(step.number), spid_);
    case Step::Kind::CreateDatabase:
        createCatalog(folder_, step.argument);
        return;
    case Step::Kind::BulkInsert:
        return bulkInsert(db_, schemaOf(step.catalog), step, native(step.argument));
    case Step::Kind::ImportSetupDetails: {
        const std::string& doc = step.argument;
        std::size_t start = doc.find_first_not_of(" \t\r\n");
        bool isText = start != std::string::npos && doc[start] == '<';
        return importSetupDetails(db_, schemaOf(step.catalog), step.table, doc,
                                  isText ? fs::path() : native(doc));
    }
    }
}

} // namespace quillan::db::embedded
