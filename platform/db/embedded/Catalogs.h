#pragma once
// How catalogs map to files: "<name>.sqlite" in the data folder, found without regard to case;
// master is "master.sqlite". Also the process-wide list of open sessions that stands in for the
// server's process table (sysprocesses, KILL).
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillan::db::embedded {

std::optional<std::filesystem::path> findCatalog(const std::filesystem::path& folder,
                                                 const std::string& name);
// Catalog names with their database ids: master 1, the others from 5 in name order.
struct CatalogEntry {
    int dbid;
    std::string name;
    std::filesystem::path file;
};
std::vector<CatalogEntry> listCatalogs(const std::filesystem::path& folder);
// Creates an empty catalog file; throws DbError when it exists or the name is not a plain name.
std::filesystem::path createCatalog(const std::filesystem::path& folder, const std::string& name);
void checkCatalogName(const std::string& name);

struct SessionInfo {
    int spid;
    std::string folder; // data folder the session works on (sessions of other folders are not listed)
    std::string database;
    std::string user;
};

int registerSession(const std::filesystem::path& folder, const std::string& database);
void unregisterSession(int spid);
std::vector<SessionInfo> sessions(const std::filesystem::path& folder);
// Marks a session as ended; its next statement fails. Throws DbError for an unknown process.
void killSession(int spid, int bySpid);
bool sessionKilled(int spid);

} // namespace quillan::db::embedded
