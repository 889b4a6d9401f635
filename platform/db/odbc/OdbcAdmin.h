#pragma once
// The administration interface on SQL Server through ODBC: the batch runner, queries, backup and
// restore with progress, and the server processes attached to a database. Its statements are
// T-SQL that only SQL Server understands.
#include "platform/db/DbAdmin.h"
#include "platform/db/odbc/OdbcConnection.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quillan::db::odbc {

// The statement texts, kept apart so that their quoting can be checked without a server.
std::string useStatement(std::string_view database);
std::string backupStatement(std::string_view database, const std::filesystem::path& file);
std::string restoreStatement(std::string_view database, const std::filesystem::path& file);
std::string attachedProcessesStatement(std::string_view database);
std::string endProcessStatement(int spid);
// "10 percent processed." -> 10; anything else -> nothing.
std::optional<int> percentProcessed(std::string_view message);

class OdbcAdmin final : public DbAdmin {
public:
    explicit OdbcAdmin(std::string driver);

    void connect(const std::string& server, const std::string& user, const std::string& password) override;
    void disconnect() override;
    void setTimeLimit(std::chrono::milliseconds limit) override;
    void executeBatch(const std::string& database, const std::string& batch) override;
    Recordset query(const std::string& database, const std::string& select) override;
    void backup(const std::string& database, const std::filesystem::path& file,
                PercentCallback progress) override;
    void restore(const std::string& database, const std::filesystem::path& file,
                 PercentCallback progress) override;
    std::vector<int> attachedProcesses(const std::string& database) override;
    void endProcess(int spid) override;

private:
    OdbcConnection& conn();
    void runWithProgress(const std::string& sql, const PercentCallback& progress);

    std::string driver_;
    std::unique_ptr<OdbcConnection> conn_;
    std::chrono::milliseconds limit_{0};
};

} // namespace quillan::db::odbc
