#pragma once
// The T-SQL functions the translator maps to (quillan_len, quillan_add, quillan_to_decimal, ...),
// registered on every SQLite handle the engine opens, and the typed conversions the importers share.
#include <sqlite3.h>

#include <functional>
#include <string>

namespace quillan::db::embedded {

void registerFunctions(sqlite3* db);

// How a text read from an import file is converted for a column, by its declared type.
enum class ColumnKind { DateTime, Date, Bit, Integer, Number, Text };
ColumnKind columnKind(const std::string& declaredType);

// Binds a text read from an import file (CSV field, XML element) to a parameter, converted as SQL
// Server converts text to a column of that kind. Throws DbError naming `where()` when the text does
// not fit (the description is built only then: an import binds every cell of every row). An empty
// text binds NULL.
void bindConverted(sqlite3_stmt* stmt, int index, ColumnKind kind, const std::string& text,
                   const std::function<std::string()>& where);

// True for declared types whose values the engine keeps as "YYYY-MM-DD HH:MM:SS" texts.
bool isDateType(const std::string& declaredType);

} // namespace quillan::db::embedded
