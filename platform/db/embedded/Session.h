#pragma once
// One SQLite handle working as one server connection: its current catalog is the "main" schema,
// other catalogs are attached under their names when a statement names them. Runs translated
// programs and turns result rows into Recordsets.
#include "platform/db/Recordset.h"
#include "platform/db/embedded/Program.h"

#include <sqlite3.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>

namespace quillan::db::embedded {

using NativePathFn = std::function<std::filesystem::path(const std::string&)>;

class Session {
public:
    // Opens the catalog `database` of `folder` (master is created when missing). Throws DbError.
    Session(std::filesystem::path folder, std::string database, NativePathFn nativePath);
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Runs a batch; returns the first result set (if any statement produced one).
    std::optional<Recordset> run(const std::string& batch);
    // The longest one later batch may run: past it SQLite is interrupted (the statement's work is
    // undone) and run() throws TimeoutError. Zero: no limit.
    void setTimeLimit(std::chrono::milliseconds limit) { limit_ = limit; }
    // Runs SQLite text as it stands (no translation): the benchmark's baseline.
    std::optional<Recordset> runNative(const std::string& sqliteText);

    const std::string& database() const { return database_; }
    int spid() const { return spid_; }
    // Bytes the translation cache holds (batch texts and their translations), at most
    // kTranslationCacheBytes.
    std::size_t translationCacheBytes() const { return cacheBytes_; }

    static constexpr std::size_t kTranslationCacheBatches = 512;
    static constexpr std::size_t kTranslationCacheBytes = 32u << 20;
    sqlite3* handle() const { return db_; }

private:
    std::filesystem::path folder_;
    std::string database_;
    NativePathFn nativePath_;
    sqlite3* db_ = nullptr;
    int spid_ = 0;
    std::map<std::string, std::string> attached_; // lower-case catalog -> file
    std::map<std::string, Program> cache_;
    std::size_t cacheBytes_ = 0;
    Program uncached_; // the translation of a batch too large to keep
    std::chrono::milliseconds limit_{0};
    std::chrono::steady_clock::time_point deadline_;
    bool timedOut_ = false;

    static int pastDeadline(void* session); // SQLite's progress handler: non-zero interrupts

    const Program& translated(const std::string& batch);
    void runSteps(const std::vector<Step>& steps, std::optional<Recordset>& first);
    void runStep(const Step& step, std::optional<Recordset>& first);
    void runSql(const SqlText& sql, std::optional<Recordset>& first);
    std::optional<Recordset> statement(const std::string& text, const SqlText* meta);
    std::string schemaOf(const std::string& catalog);
    void attach(const std::string& catalog);
    void refreshSysDatabases();
    void refreshSysProcesses();
    void checkAlive() const;
    std::filesystem::path native(const std::string& text) const;
};

} // namespace quillan::db::embedded
