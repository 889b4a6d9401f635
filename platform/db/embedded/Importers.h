#pragma once
// The statements that read files: BULK INSERT (delimited text), OPENROWSET (an Excel 97 sheet, read
// with freexl) and the import procedure Proc_ImpSetupDetails (an XML document; format in
// docs/embedded-engine.md).
#include "platform/db/embedded/Program.h"

#include <sqlite3.h>

#include <filesystem>
#include <string>

namespace quillan::db::embedded {

// Columns of schema.table in order with declared types and default expressions (SQLite text, empty
// when the column has none); throws DbError "Invalid object name" when missing.
struct ColumnInfo {
    std::string name;
    std::string type;
    std::string defaultSql;
};
std::vector<ColumnInfo> tableColumns(sqlite3* db, const std::string& schema, const std::string& table);

void bulkInsert(sqlite3* db, const std::string& schema, const Step& step, const std::filesystem::path& file);
void loadSheet(sqlite3* db, const RowsetSource& source, const std::filesystem::path& file);
// `document` is the XML text itself (starts with '<') or the path of a file holding it.
void importSetupDetails(sqlite3* db, const std::string& schema, const std::string& table,
                        const std::string& document, const std::filesystem::path& fileIfPath);

} // namespace quillan::db::embedded
