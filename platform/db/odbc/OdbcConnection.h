#pragma once
// The connection to SQL Server (or any ODBC data source) through one ODBC connection handle.
// Statements are run directly, never prepared; each statement handle lives for one call.
#include "platform/db/Connection.h"
#include "platform/db/odbc/OdbcFetch.h"
#include "platform/db/odbc/OdbcHandles.h"

#include <string>

namespace quillan::db::odbc {

class OdbcConnection final : public Connection {
public:
    // Connects with a complete ODBC connection string. No connection time-out applies once logged
    // in, and statements run without limit until setTimeLimit gives one; the login itself may
    // take `loginTimeoutSeconds` (0: no limit) so that a dead server does not hang start-up.
    OdbcConnection(const std::string& odbcConnectionString, int loginTimeoutSeconds);

    Recordset query(const std::string& sql) override;
    void execute(const std::string& sql) override;
    std::vector<Recordset> queryAll(const std::string& sql) override;
    std::string backendName() const override;
    void setTimeLimit(std::chrono::milliseconds limit) override { limit_ = limit; }

    // Same as above, passing the informational messages (PRINT, progress) to the sink.
    // Where the calls without a sink send informational messages (PRINT output and the like);
    // by default they are dropped.
    void setInfoSink(InfoSink sink) { sink_ = std::move(sink); }

    Recordset query(const std::string& sql, const InfoSink& sink);
    void execute(const std::string& sql, const InfoSink& sink);

private:
    // Runs `work` on `stmt` under the time limit; a statement the limit cancelled throws TimeoutError.
    template <class Work> auto bounded(const Handle& stmt, Work&& work);

    Handle dbc_;
    std::chrono::milliseconds limit_{0};
    std::string driver_;
    InfoSink sink_;
};

} // namespace quillan::db::odbc
