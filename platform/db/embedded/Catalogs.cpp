#include "platform/db/embedded/Catalogs.h"

#include "platform/db/Connection.h"
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/SqliteFile.h"

#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <mutex>

namespace quillan::db::embedded {

namespace fs = std::filesystem;

std::optional<fs::path> findCatalog(const fs::path& folder, const std::string& name) {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        if (iequals(p.extension().string(), ".sqlite") && iequals(p.stem().string(), name) &&
            entry.is_regular_file(ec))
            return p;
    }
    return std::nullopt;
}

std::vector<CatalogEntry> listCatalogs(const fs::path& folder) {
    std::vector<CatalogEntry> out;
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
        const fs::path& p = entry.path();
        if (iequals(p.extension().string(), ".sqlite") && entry.is_regular_file(ec))
            out.push_back({0, p.stem().string(), p});
    }
    std::sort(out.begin(), out.end(), [](const CatalogEntry& a, const CatalogEntry& b) {
        bool am = iequals(a.name, "master"), bm = iequals(b.name, "master");
        if (am != bm)
            return am;
        return lower(a.name) < lower(b.name);
    });
    int next = 5;
    for (auto& c : out)
        c.dbid = iequals(c.name, "master") ? 1 : next++;
    return out;
}

void checkCatalogName(const std::string& name) {
    bool ok = !name.empty() && name.size() <= 128 && name != "." && name != "..";
    for (char c : name)
        ok = ok && c != '/' && c != '\\' && c != ':' && c != '\0' && static_cast<unsigned char>(c) >= 0x20;
    if (!ok)
        throw DbError("The database name '" + name + "' is not a valid name.");
}

fs::path createCatalog(const fs::path& folder, const std::string& name) {
    checkCatalogName(name);
    if (findCatalog(folder, name))
        throw DbError("Database '" + name + "' already exists. Choose a different database name.");
    fs::path file = folder / (name + ".sqlite");
    const std::string what = "CREATE DATABASE failed for '" + name + "'";
    sqlite3* db = openSqliteFile(file, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, what);
    // An empty SQLite file is only written on first change; make it a real database file now.
    int rc = sqlite3_exec(db, "PRAGMA user_version = 1", nullptr, nullptr, nullptr);
    std::string msg = sqlite3_errmsg(db);
    sqlite3_close(db);
    if (rc != SQLITE_OK)
        throw DbError(what + ": " + msg);
    return file;
}

namespace {

struct Registry {
    std::mutex mutex;
    int next = 51; // SQL Server numbers user processes from 51
    std::map<int, SessionInfo> live;
    std::map<int, bool> killed;
};

Registry& registry() {
    static Registry r;
    return r;
}

std::string folderKey(const fs::path& folder) {
    std::error_code ec;
    fs::path p = fs::weakly_canonical(folder, ec);
    return (ec ? folder : p).string();
}

} // namespace

int registerSession(const fs::path& folder, const std::string& database) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    int spid = r.next++;
    const char* user = std::getenv("USER");
    r.live[spid] = {spid, folderKey(folder), database, user ? user : "quillan"};
    return spid;
}

void unregisterSession(int spid) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    r.live.erase(spid);
    r.killed.erase(spid);
}

std::vector<SessionInfo> sessions(const fs::path& folder) {
    Registry& r = registry();
    std::string key = folderKey(folder);
    std::lock_guard lock(r.mutex);
    std::vector<SessionInfo> out;
    for (const auto& [spid, info] : r.live)
        if (info.folder == key && !r.killed.count(spid))
            out.push_back(info);
    return out;
}

void killSession(int spid, int bySpid) {
    if (spid == bySpid)
        throw DbError("Cannot use KILL to kill your own process.");
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (!r.live.count(spid) || r.killed.count(spid))
        throw DbError("Process ID " + std::to_string(spid) + " is not an active process ID.");
    r.killed[spid] = true;
}

bool sessionKilled(int spid) {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    return r.killed.count(spid) != 0;
}

} // namespace quillan::db::embedded
