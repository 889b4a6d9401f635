#pragma once
// The database administration interface: what the database backup, the hotfix runner and the
// deploy-script import need besides the ordinary connection. All calls block the caller and
// report progress on the caller's thread.
#include "platform/db/Connection.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillan::db {

using PercentCallback = std::function<void(int percent)>;

class DbAdmin {
public:
    virtual ~DbAdmin() = default;
    // Password omitted from the login when blank after trimming. Throws DbError.
    virtual void connect(const std::string& server, const std::string& user, const std::string& password) = 0;
    virtual void disconnect() = 0;
    // The longest one batch or query may run (Connection::setTimeLimit), for this and later
    // connections; backup and restore are not bounded by it (their progress shows they move).
    virtual void setTimeLimit(std::chrono::milliseconds limit) = 0;
    // Runs one batch in the named database's context. Throws DbError naming the failure.
    virtual void executeBatch(const std::string& database, const std::string& batch) = 0;
    virtual Recordset query(const std::string& database, const std::string& select) = 0;
    // Full backup of the database to one file (overwritten); progress rises to 100.
    virtual void backup(const std::string& database, const std::filesystem::path& file,
                        PercentCallback progress) = 0;
    // Replaces the existing database from a backup file made by backup().
    virtual void restore(const std::string& database, const std::filesystem::path& file,
                         PercentCallback progress) = 0;
    // Server processes attached to the database (other than this connection), and ending one.
    virtual std::vector<int> attachedProcesses(const std::string& database) = 0;
    virtual void endProcess(int spid) = 0;
};

// Same backend choice as openConnection.
std::unique_ptr<DbAdmin> openAdmin(const std::string& oledbConnectionString,
                                   const std::filesystem::path& appDir);

} // namespace quillan::db
