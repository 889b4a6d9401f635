#include "platform/db/odbc/OdbcAdmin.h"

#include "platform/db/OdbcConnectionString.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace quillan::db::odbc {

std::string useStatement(std::string_view database) {
    return "USE " + sqlQuoteName(database);
}

std::string backupStatement(std::string_view database, const std::filesystem::path& file) {
    return "BACKUP DATABASE " + sqlQuoteName(database) + " TO DISK = N'" + sqlEscape(file.string()) +
           "' WITH INIT, STATS = 1";
}

std::string restoreStatement(std::string_view database, const std::filesystem::path& file) {
    return "RESTORE DATABASE " + sqlQuoteName(database) + " FROM DISK = N'" + sqlEscape(file.string()) +
           "' WITH REPLACE, STATS = 1";
}

std::string attachedProcessesStatement(std::string_view database) {
    return "SELECT p.spid FROM master.dbo.sysprocesses p JOIN master.dbo.sysdatabases d ON p.dbid = d.dbid"
           " WHERE d.name = N'" +
           sqlEscape(database) + "' AND p.spid <> @@SPID";
}

std::string endProcessStatement(int spid) {
    if (spid <= 0)
        throw DbError("Invalid server process id " + std::to_string(spid));
    return "KILL " + std::to_string(spid);
}

std::optional<int> percentProcessed(std::string_view message) {
    // The text may carry driver prefixes ("[FreeTDS][SQL Server]10 percent processed.").
    const auto at = message.find(" percent processed");
    if (at == std::string_view::npos)
        return std::nullopt;
    auto start = at;
    while (start > 0 && std::isdigit(static_cast<unsigned char>(message[start - 1])))
        --start;
    int percent = 0;
    auto [end, ec] = std::from_chars(message.data() + start, message.data() + at, percent);
    if (start == at || ec != std::errc() || end != message.data() + at)
        return std::nullopt;
    return std::clamp(percent, 0, 100);
}

OdbcAdmin::OdbcAdmin(std::string driver) : driver_(std::move(driver)) {}

void OdbcAdmin::connect(const std::string& server, const std::string& user, const std::string& password) {
    SqlServerLogin login;
    login.server = server;
    login.user = user;
    login.password = password; // left out when blank after trimming
    login.database = "master";
    // A blank login means the Windows account of this process.
    login.trusted = std::all_of(user.begin(), user.end(), [](unsigned char c) { return std::isspace(c); });
    conn_ = std::make_unique<OdbcConnection>(sqlServerOdbcString(driver_, login), odbcLoginTimeoutSeconds());
    conn_->setTimeLimit(limit_);
}

void OdbcAdmin::setTimeLimit(std::chrono::milliseconds limit) {
    limit_ = limit;
    if (conn_)
        conn_->setTimeLimit(limit);
}

void OdbcAdmin::disconnect() {
    conn_.reset();
}

OdbcConnection& OdbcAdmin::conn() {
    if (!conn_)
        throw DbError("Not connected to the database server");
    return *conn_;
}

// The database context is set by a statement of its own: batches such as CREATE PROCEDURE must
// be the first statement of their batch, so nothing may be put in front of them.
void OdbcAdmin::executeBatch(const std::string& database, const std::string& batch) {
    conn().execute(useStatement(database));
    conn().execute(batch);
}

Recordset OdbcAdmin::query(const std::string& database, const std::string& select) {
    conn().execute(useStatement(database));
    return conn().query(select);
}

void OdbcAdmin::runWithProgress(const std::string& sql, const PercentCallback& progress) {
    int last = -1;
    // A backup or restore takes as long as the database is large; its progress shows it moves.
    struct Unbounded {
        OdbcConnection& c;
        std::chrono::milliseconds limit;
        ~Unbounded() { c.setTimeLimit(limit); }
    } unbounded{conn(), limit_};
    conn().setTimeLimit(std::chrono::milliseconds{0});
    conn().execute(sql, [&](const std::string& message) {
        const auto p = percentProcessed(message);
        if (p && *p > last && progress) {
            last = *p;
            progress(*p);
        }
    });
    if (last < 100 && progress)
        progress(100);
}

void OdbcAdmin::backup(const std::string& database, const std::filesystem::path& file,
                       PercentCallback progress) {
    runWithProgress(backupStatement(database, file), progress);
}

void OdbcAdmin::restore(const std::string& database, const std::filesystem::path& file,
                        PercentCallback progress) {
    // A database cannot be replaced while this connection uses it.
    conn().execute(useStatement("master"));
    runWithProgress(restoreStatement(database, file), progress);
}

std::vector<int> OdbcAdmin::attachedProcesses(const std::string& database) {
    auto rs = conn().query(attachedProcessesStatement(database));
    std::vector<int> spids;
    for (; !rs.eof(); rs.moveNext())
        spids.push_back(static_cast<int>(rs.field(std::size_t{0}).asInt()));
    return spids;
}

void OdbcAdmin::endProcess(int spid) {
    conn().execute(endProcessStatement(spid));
}

} // namespace quillan::db::odbc
