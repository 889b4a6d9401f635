#pragma once
// Splitting a T-SQL script into the batches a client sends one by one, by the "GO" lines that
// separate them, as SQL Server's command-line client reads them:
//   - "GO" stands alone on its line, in any letter case, with blanks or tabs around it, optionally
//     followed by a count ("GO 3" sends the batch before it three times; 1 to kMaxGoCount) and by
//     a "--" comment;
//   - a "GO" line inside a string literal ('...', '' inside) or a block comment (/* */, nesting)
//     separates nothing, nor does "-- GO" (the line is a comment); an apostrophe inside a
//     bracketed or double-quoted name ([O'Brien], "it's") starts no literal;
//   - batches holding only white space are dropped (so a trailing GO yields no empty batch);
//   - CR LF and LF line ends both work; a UTF-8 byte-order mark at the start is dropped.
// A GO line with anything else after it, or a count out of range, throws DbError naming the line.
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db {

constexpr int kMaxGoCount = 10000;

std::vector<std::string> splitBatches(std::string_view script);

} // namespace quillan::db
