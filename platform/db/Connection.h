#pragma once
// The one database connection of a process. Two backends implement it: SQL Server through ODBC
// (the field) and the embedded engine on SQLite (sample installation, demo, tests). Statement
// texts are T-SQL, written once, whichever backend runs them.
#include "platform/db/Recordset.h"

#include <chrono>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db {

// A statement or connection failure; what() is the description the operation reports.
class DbError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A statement or batch that ran past its time limit and was cancelled (on the server: its work is
// undone as for any failed statement).
class TimeoutError : public DbError {
public:
    using DbError::DbError;
};

// The text a timed-out statement reports, naming the limit it ran into.
std::string timeLimitText(std::chrono::milliseconds limit);

class Connection {
public:
    virtual ~Connection() = default;
    // Runs a statement (or batch) and returns the rows of its first result set, fetched whole.
    virtual Recordset query(const std::string& sql) = 0;
    // Runs a statement or batch for its effect; affected-row counts are not reported.
    virtual void execute(const std::string& sql) = 0;
    // Every result set of a statement or batch, in order; statements without one add nothing. The
    // default, for backends that only know the first result set, returns that one when it has columns.
    virtual std::vector<Recordset> queryAll(const std::string& sql);
    virtual std::string backendName() const = 0;
    // The longest any one later statement or batch may run; past it the statement is cancelled and
    // TimeoutError thrown. Zero: no limit. A backend without a way to cancel ignores it; both of
    // ours have one.
    virtual void setTimeLimit(std::chrono::milliseconds limit) { (void)limit; }
};

// Embeds a text value as a T-SQL string literal: wraps it in single quotes and doubles every
// single quote inside, so no value can end the literal or extend the statement.
std::string sqlQuote(std::string_view text);
// The same, without the surrounding quotes, for statement texts that already place the quotes
// (for example "where FileName='" + sqlEscape(name) + "'").
std::string sqlEscape(std::string_view text);
// Embeds a name (database, table) as a bracketed T-SQL identifier: "[" + name + "]" with every
// ']' inside doubled, so no name can end the identifier. NUL characters are refused as above.
std::string sqlQuoteName(std::string_view name);

// Opens a connection from an OLE DB connection string as the application's "Dll\Sd.ini" holds it.
// "Provider=SQLite" selects the embedded engine (its data folder is resolved against appDir);
// any other provider selects SQL Server through ODBC. Throws DbError.
std::unique_ptr<Connection> openConnection(const std::string& oledbConnectionString,
                                           const std::filesystem::path& appDir);

} // namespace quillan::db
