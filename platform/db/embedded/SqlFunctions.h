#pragma once
// The T-SQL functions the translator maps to (quillan_len, quillan_add, quillan_to_decimal, ...),
// registered on every SQLite handle the engine opens, and the typed conversions the importers share.
#include <sqlite3.h>

#include <string>

namespace quillan::db::embedded {

void registerFunctions(sqlite3* db);

// Binds a text read from an import file (CSV field, XML element) to a parameter, converted as SQL
// Server converts text to a column of the declared type. Throws DbError naming `where` when the text
// does not fit the type. An empty text binds NULL.
void bindConverted(sqlite3_stmt* stmt, int index, const std::string& declaredType, const std::string& text,
                   const std::string& where);

// True for declared types whose values the engine keeps as "YYYY-MM-DD HH:MM:SS" texts.
bool isDateType(const std::string& declaredType);

} // namespace quillan::db::embedded
