#pragma once
// Splits T-SQL text into tokens. Identifiers keep their spelling with brackets and quotes removed
// (the `quoted` flag remembers that they were delimited, so [File Name] and [END] stay names).
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db::embedded {

enum class Tok { Ident, String, Number, Op, LParen, RParen, Comma, Dot, Semicolon, Variable };

struct Token {
    Tok kind;
    std::string text;    // identifier name, literal content (quotes undone), number or operator text
    bool quoted = false; // identifier written [x] or "x"

    // An undelimited identifier spelled `word` (case ignored).
    bool is(std::string_view word) const;
    bool isOp(std::string_view op) const { return kind == Tok::Op && text == op; }
};

// Throws DbError on an unterminated literal, bracket or comment.
std::vector<Token> tokenize(std::string_view sql);

// SQLite text for a name (always double-quoted) and for a text literal (single-quoted).
std::string quoteIdent(std::string_view name);
std::string quoteLiteral(std::string_view text);
// A literal in the date form SQL Server reads the same under every login language,
// "yyyy-MM-ddTHH:mm:ss[.fff]", with a blank for the "T": the engine keeps DATETIME values as text
// in the blank form, so both spellings of one moment compare and sort as the same value. Any other
// text is returned unchanged.
std::string canonicalDateText(std::string_view text);

bool iequals(std::string_view a, std::string_view b);
std::string upper(std::string_view s);
std::string lower(std::string_view s);

} // namespace quillan::db::embedded
