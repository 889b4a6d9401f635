#pragma once
// The batch translator's working state, shared by its parts: Translator.cpp (token walking, names,
// expressions), TranslateCalls.cpp (function calls and conversions), TranslateStatements.cpp
// (statement boundaries and the statements), TranslateDefinitions.cpp (CREATE and column
// definitions) and SystemObjects.cpp (the catalog views and OBJECT_ID / COL_LENGTH).
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/Program.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quillan::db::embedded {

bool isKeyword(const Token& t);
bool isStarter(const Token& t);
bool isName(const Token& t);
[[noreturn]] void unsupported(const std::string& what);

struct Item {
    enum Cls { Operand, Op, Boundary } cls;
    std::string text;
};

struct NameParts {
    std::vector<std::string> parts; // catalog, schema, object (as many as written)
    std::size_t last = 0;           // index of the last token of the chain
};

// Deeper nesting of blocks, IFs, parentheses, calls or CASEs fails the statement: the translator
// recurses once per level, and SQLite's own parser gives up far sooner anyway.
constexpr int kMaxNesting = 100;

class BatchTranslator {
public:
    BatchTranslator(std::string_view batch, const std::string& currentDb);

    Program run() {
        Program p;
        std::size_t i = 0;
        p.steps = parseList(i, t_.size(), false);
        return p;
    }

private:
    std::vector<Token> t_;
    std::string current_;
    SqlText* sink_ = nullptr;
    std::string viewCatalog_; // set while translating the body of CREATE VIEW
    int rowsets_ = 0;
    int nesting_ = 0;
    // Matching ')' of each '(' and END of each CASE (npos when none), found once for the batch so
    // that no nesting level scans the text again.
    std::vector<std::size_t> closing_;

    // Counts one nesting level for as long as it lives; throws DbError beyond kMaxNesting.
    class Nested {
    public:
        explicit Nested(BatchTranslator& t);
        ~Nested() { --t_.nesting_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        BatchTranslator& t_;
    };

    // Every token read goes through here: past the end of the batch it is an empty ';', which no
    // rule accepts as a name or a value, so a statement cut short fails as a syntax error.
    const Token& at(std::size_t i) const {
        static const Token eof{Tok::Semicolon, ""};
        return i < t_.size() ? t_[i] : eof;
    }

    [[noreturn]] void syntax(std::size_t i) const;
    std::size_t matchParen(std::size_t lp, std::size_t e) const;
    // The END of the CASE at `i` when it lies before e, else npos.
    std::size_t caseEnd(std::size_t i, std::size_t e) const;
    // A whole number written at token i (KILL's process, FIRSTROW, ...); DbError naming `what`
    // when it is none or does not fit.
    long long wholeNumber(std::size_t i, const std::string& what) const;
    // Index just after a hint group "(NOLOCK)" / "WITH (NOLOCK)" starting at k, or k when none.
    std::size_t skipHints(std::size_t k, std::size_t e) const;
    NameParts readName(std::size_t i) const;
    // Schema text for a catalog name (empty: the current database).
    std::string schema(const std::string& catalog);
    // A reference to a catalog object: parts as written, with 2 parts only when the first is dbo.
    std::string object(const std::vector<std::string>& parts);
    bool isObjectChain(const NameParts& n) const;
    // The table a statement writes to: a bare name means dbo's table in the current catalog.
    std::string tableName(const NameParts& n);
    // The catalog a session step works in, empty for the current database.
    std::string stepCatalog(const NameParts& n) const;
    // The catalog views SQL Server offers, built from SQLite's own catalog.
    std::string catalogView(const NameParts& n, bool& handled);
    // SQL Server's catalog views and object functions over SQLite's catalog (SystemObjects.cpp).
    // The schema name a catalog has in SQLite, as a literal for pragma_table_info.
    std::string schemaLiteral(const std::string& catalog);
    std::string sysObjectsView(const std::string& catalog);
    // The view for sysobjects, sys.objects, sys.tables, INFORMATION_SCHEMA.TABLES / COLUMNS; empty
    // when `n` names none of them.
    std::string systemView(const NameParts& n);
    // The object a text literal argument names: {catalog, name} ({"#", name} for a temporary table),
    // empty when it cannot name an object of the installation (SQL Server answers NULL then).
    std::vector<std::string> literalName(const std::pair<std::size_t, std::size_t>& arg,
                                         const char* function) const;
    std::string objectId(const std::vector<std::pair<std::size_t, std::size_t>>& args);
    std::string columnLength(const std::vector<std::pair<std::size_t, std::size_t>>& args);
    std::vector<std::pair<std::size_t, std::size_t>> splitArgs(std::size_t b, std::size_t e) const;
    // Translates the tokens [b, e) of one nesting level (an expression list, a clause, a statement).
    std::string range(std::size_t b, std::size_t e);
    // Emits items; the terms an additive chain joins with a binary '+' become one quillan_add call
    // over all of them (adding numbers and concatenating texts as T-SQL's '+' does), so that a long
    // concatenation does not nest calls as deep as it is long.
    static std::string joinItems(const std::vector<Item>& items);
    // CONVERT / CAST target type -> engine conversion call.
    std::string conversion(std::size_t tb, std::size_t te, const std::string& value,
                           const std::string& style);
    std::string call(const NameParts& n, std::size_t lp, std::size_t rp, bool tableContext);
    std::string openRowset(const std::vector<std::pair<std::size_t, std::size_t>>& args);
    std::size_t statementEnd(std::size_t i, std::size_t e) const;
    std::vector<Step> parseList(std::size_t& i, std::size_t e, bool inBlock);
    Step parseBody(std::size_t& i, std::size_t e);
    Step parseOne(std::size_t& i, std::size_t e);
    Step sqlStep(const std::function<std::string()>& build);
    Step simple(std::size_t b, std::size_t e);
    std::vector<std::optional<std::string>> columnNames(std::size_t b, std::size_t e) const;
    std::string insert(std::size_t b, std::size_t e);
    std::string deleteStatement(std::size_t b, std::size_t e);
    Step exec(std::size_t b, std::size_t e);
    Step bulkInsert(std::size_t b, std::size_t e);
    // One column definition of CREATE TABLE / ALTER TABLE ADD.
    std::string columnDef(std::size_t s, std::size_t f);
    Step create(std::size_t b, std::size_t e);
};

} // namespace quillan::db::embedded
