#pragma once
// Translates a T-SQL batch into a Program the embedded engine runs on SQLite. Names of catalogs
// become attached schemas ("[Tervik].dbo.T" -> "tervik"."T"; the current database is "main"),
// table hints disappear, T-SQL functions become their SQLite counterparts or engine functions, and
// '+' becomes an addition that concatenates when an operand is text. A construct without a faithful
// translation raises DbError naming it instead of running with another meaning.
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/Program.h"

#include <string>
#include <string_view>

namespace quillan::db::embedded {

Program translateBatch(std::string_view batch, const std::string& currentDatabase);

} // namespace quillan::db::embedded
