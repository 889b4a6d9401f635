#pragma once
// A T-SQL batch translated for SQLite: a tree of steps the session runs in order. Plain statements
// carry SQLite text; what SQLite has no statement for (IF, EXEC of the import procedure, KILL,
// BULK INSERT, CREATE DATABASE) is a step the session carries out itself.
#include <optional>
#include <string>
#include <vector>

namespace quillan::db::embedded {

// An OPENROWSET source: the sheet is copied into a temporary table before the statement runs.
struct RowsetSource {
    std::string tempTable; // name in the temp schema
    std::string file;      // as written in the statement (converted to a native path when run)
    std::string sheet;     // without the trailing '$'
};

struct SqlText {
    std::string sql;
    std::vector<std::string> catalogs; // catalogs to attach (as written), other than the current one
    bool needsSysDatabases = false;
    bool needsSysProcesses = false;
    std::vector<RowsetSource> rowsets;
    // Column names as SQL Server would report them, when they differ from SQLite's choice:
    // one entry per result column; nullopt keeps SQLite's name. Empty when not known.
    std::vector<std::optional<std::string>> columnNames;
};

struct Step {
    enum class Kind {
        Sql,
        If,
        Block,
        ImportSetupDetails,
        Kill,
        BulkInsert,
        CreateDatabase,
        Noop
    } kind = Kind::Noop;
    SqlText sql;                   // Sql; for If the condition as a one-value query
    std::vector<Step> body, other; // If: then / else; Block: statements
    std::string catalog;           // catalog named by the target (empty: current database)
    std::string table;             // BulkInsert target / ImportSetupDetails table
    std::string argument;          // file or XML text (import), database name (create), file (bulk)
    long long number = 0;          // Kill: spid; BulkInsert: first row
    long long lastRow = 0;         // BulkInsert: 0 = to the end
    bool keepNulls = false;        // BulkInsert: an empty field stays NULL instead of the column default
    std::string fieldTerminator = "\t";
    std::string rowTerminator = "\n";
};

struct Program {
    std::vector<Step> steps;
};

} // namespace quillan::db::embedded
