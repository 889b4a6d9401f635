#pragma once
// What SQL Server reports about a column from the type it was declared with ("varchar(50)",
// "nvarchar(MAX)", "decimal(18,2)", "INTEGER" for an IDENTITY key): the catalog views' DATA_TYPE
// and COL_LENGTH, which hotfix scripts ask before they add or widen a column.
#include <optional>
#include <string>

namespace quillan::db::embedded {

// The type's name in lower case without its length ("varchar"); the engine's "integer" key is "int".
std::string typeName(const std::string& declaredType);

// The column's size in bytes as COL_LENGTH gives it: the declared length (twice that for the N
// types), -1 for MAX, the storage size of the fixed types; nullopt for a type the engine does not know.
std::optional<long long> columnLength(const std::string& declaredType);

} // namespace quillan::db::embedded
