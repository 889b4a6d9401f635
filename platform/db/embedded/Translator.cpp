#include "platform/db/embedded/Translator.h"

#include "platform/db/Connection.h"

#include <cctype>
#include <functional>
#include <optional>
#include <set>

namespace quillan::db::embedded {

namespace {

// Words that are never names or function calls in the statements this engine accepts.
const std::set<std::string> kKeywords = {"SELECT",
                                         "FROM",
                                         "WHERE",
                                         "AND",
                                         "OR",
                                         "NOT",
                                         "IN",
                                         "IS",
                                         "NULL",
                                         "LIKE",
                                         "BETWEEN",
                                         "EXISTS",
                                         "ON",
                                         "AS",
                                         "JOIN",
                                         "INNER",
                                         "OUTER",
                                         "LEFT",
                                         "RIGHT",
                                         "FULL",
                                         "CROSS",
                                         "ORDER",
                                         "GROUP",
                                         "BY",
                                         "HAVING",
                                         "ASC",
                                         "DESC",
                                         "DISTINCT",
                                         "ALL",
                                         "UNION",
                                         "EXCEPT",
                                         "INTERSECT",
                                         "CASE",
                                         "WHEN",
                                         "THEN",
                                         "ELSE",
                                         "END",
                                         "INSERT",
                                         "INTO",
                                         "VALUES",
                                         "UPDATE",
                                         "SET",
                                         "DELETE",
                                         "TOP",
                                         "PERCENT",
                                         "ESCAPE",
                                         "COLLATE",
                                         "CREATE",
                                         "TABLE",
                                         "DROP",
                                         "ALTER",
                                         "ADD",
                                         "PRIMARY",
                                         "KEY",
                                         "FOREIGN",
                                         "REFERENCES",
                                         "UNIQUE",
                                         "CHECK",
                                         "DEFAULT",
                                         "CONSTRAINT",
                                         "IDENTITY",
                                         "CLUSTERED",
                                         "NONCLUSTERED",
                                         "INDEX",
                                         "VIEW",
                                         "IF",
                                         "BEGIN",
                                         "WITH",
                                         "OVER",
                                         "PARTITION",
                                         "ANY",
                                         "SOME",
                                         "CURRENT_TIMESTAMP"};

const std::set<std::string> kStarters = {
    "SELECT",  "INSERT", "UPDATE", "DELETE", "CREATE", "DROP",      "ALTER",   "TRUNCATE",
    "IF",      "BEGIN",  "END",    "ELSE",   "EXEC",   "EXECUTE",   "KILL",    "BULK",
    "DECLARE", "SET",    "PRINT",  "USE",    "COMMIT", "ROLLBACK",  "WHILE",   "RETURN",
    "GO",      "SAVE",   "GRANT",  "REVOKE", "DENY",   "RAISERROR", "WAITFOR", "MERGE"};

const std::set<std::string> kHints = {
    "NOLOCK",   "READUNCOMMITTED", "ROWLOCK",       "UPDLOCK",        "HOLDLOCK",     "PAGLOCK", "TABLOCK",
    "TABLOCKX", "READPAST",        "READCOMMITTED", "REPEATABLEREAD", "SERIALIZABLE", "XLOCK",   "NOWAIT"};

const std::set<std::string> kSetOptions = {"NOCOUNT",
                                           "ANSI_NULLS",
                                           "QUOTED_IDENTIFIER",
                                           "ANSI_PADDING",
                                           "ANSI_WARNINGS",
                                           "ARITHABORT",
                                           "CONCAT_NULL_YIELDS_NULL",
                                           "XACT_ABORT",
                                           "ANSI_NULL_DFLT_ON",
                                           "NUMERIC_ROUNDABORT",
                                           "DATEFORMAT",
                                           "LANGUAGE"};

bool isKeyword(const Token& t) {
    return t.kind == Tok::Ident && !t.quoted && kKeywords.count(upper(t.text));
}
bool isStarter(const Token& t) {
    return t.kind == Tok::Ident && !t.quoted && kStarters.count(upper(t.text));
}
bool isName(const Token& t) {
    return t.kind == Tok::Ident && (t.quoted || !kKeywords.count(upper(t.text)));
}

[[noreturn]] void unsupported(const std::string& what) {
    throw DbError(what + " is not supported by the embedded database engine");
}

struct Item {
    enum Cls { Operand, Op, Boundary } cls;
    std::string text;
};

struct NameParts {
    std::vector<std::string> parts; // catalog, schema, object (as many as written)
    std::size_t last = 0;           // index of the last token of the chain
};

class Translator {
public:
    Translator(std::string_view batch, const std::string& currentDb)
        : t_(tokenize(batch)), current_(currentDb) {}

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

    const Token& at(std::size_t i) const {
        static const Token eof{Tok::Semicolon, ""};
        return i < t_.size() ? t_[i] : eof;
    }

    [[noreturn]] void syntax(std::size_t i) const {
        throw DbError("Incorrect syntax near '" + (i < t_.size() ? t_[i].text : std::string("end of batch")) +
                      "'.");
    }

    std::size_t matchParen(std::size_t lp, std::size_t e) const {
        int depth = 0;
        for (std::size_t k = lp; k < e; ++k) {
            if (t_[k].kind == Tok::LParen)
                ++depth;
            else if (t_[k].kind == Tok::RParen && --depth == 0)
                return k;
        }
        throw DbError("Incorrect syntax: missing ')' in the statement.");
    }

    // Index just after a hint group "(NOLOCK)" / "WITH (NOLOCK)" starting at k, or k when none.
    std::size_t skipHints(std::size_t k, std::size_t e) const {
        for (;;) {
            std::size_t lp = k;
            if (lp < e && at(lp).is("WITH") && at(lp + 1).kind == Tok::LParen)
                ++lp;
            if (lp >= e || at(lp).kind != Tok::LParen)
                return k;
            std::size_t j = lp + 1;
            bool any = false;
            while (j < e && at(j).kind == Tok::Ident && !at(j).quoted && kHints.count(upper(at(j).text))) {
                any = true;
                ++j;
                if (at(j).kind == Tok::Comma)
                    ++j;
            }
            if (!any || at(j).kind != Tok::RParen)
                return k;
            k = j + 1;
        }
    }

    NameParts readName(std::size_t i) const {
        NameParts n;
        n.parts.push_back(t_[i].text);
        std::size_t j = i;
        while (at(j + 1).kind == Tok::Dot) {
            if (at(j + 2).kind == Tok::Dot) { // db..T
                n.parts.emplace_back();
                j += 1;
            } else if (at(j + 2).kind == Tok::Ident) {
                n.parts.push_back(at(j + 2).text);
                j += 2;
            } else {
                break;
            }
        }
        n.last = j;
        return n;
    }

    // Schema text for a catalog name (empty: the current database).
    std::string schema(const std::string& catalog) {
        if (!viewCatalog_.empty()) {
            if (catalog.empty() || iequals(catalog, viewCatalog_))
                return "";
            unsupported("A view that reads another catalog ('" + catalog + "')");
        }
        if (catalog.empty() || iequals(catalog, current_))
            return "main.";
        if (sink_) {
            bool known = false;
            for (const auto& c : sink_->catalogs)
                known = known || iequals(c, catalog);
            if (!known)
                sink_->catalogs.push_back(catalog);
        }
        return quoteIdent(lower(catalog)) + ".";
    }

    // A reference to a catalog object: parts as written, with 2 parts only when the first is dbo.
    std::string object(const std::vector<std::string>& parts) {
        std::string catalog;
        if (parts.size() == 3)
            catalog = parts[0];
        else if (parts.size() > 3)
            unsupported("A four-part name ('" + parts[0] + "." + parts[1] + "." + parts[2] + "." + parts[3] +
                        "')");
        const std::string& name = parts.back();
        if (parts.size() >= 2 && !parts[parts.size() - 2].empty() && !iequals(parts[parts.size() - 2], "dbo"))
            unsupported("The schema '" + parts[parts.size() - 2] + "'");
        if (!name.empty() && name[0] == '#')
            return "temp." + quoteIdent(name);
        return schema(catalog) + quoteIdent(name);
    }

    bool isObjectChain(const NameParts& n) const {
        return n.parts.size() >= 3 || (n.parts.size() == 2 && iequals(n.parts[0], "dbo"));
    }

    // The table a statement writes to: a bare name means dbo's table in the current catalog.
    std::string tableName(const NameParts& n) {
        return n.parts.size() == 1 ? object({"dbo", n.parts[0]}) : object(n.parts);
    }

    // The catalog a session step works in, empty for the current database.
    std::string stepCatalog(const NameParts& n) const {
        if (n.parts.size() != 3 || iequals(n.parts[0], current_))
            return "";
        return n.parts[0];
    }

    // The catalog views SQL Server offers, built from SQLite's own catalog.
    std::string catalogView(const NameParts& n, bool& handled) {
        handled = true;
        std::string name = upper(n.parts.back());
        std::string catalog = n.parts.size() == 3 ? n.parts[0] : "";
        if (name == "SYSDATABASES") {
            if (sink_)
                sink_->needsSysDatabases = true;
            return "temp.quillan_sysdatabases";
        }
        if (name == "SYSPROCESSES") {
            if (sink_)
                sink_->needsSysProcesses = true;
            return "temp.quillan_sysprocesses";
        }
        if (name == "SYSOBJECTS") {
            std::string s = schema(catalog);
            std::string quoted = quoteLiteral(s == "main." || s.empty() ? "main" : lower(catalog));
            return "(SELECT m.name COLLATE NOCASE AS name, m.rowid AS id, 'dbo' AS uid, "
                   "(CASE WHEN m.name LIKE 'FN\\_%' ESCAPE '\\' THEN (CASE WHEN EXISTS (SELECT 1 FROM "
                   "pragma_table_info(m.name, " +
                   quoted +
                   ") WHERE name = 'Answer' COLLATE NOCASE) THEN 'FN' ELSE 'TF' END) "
                   "WHEN m.type = 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE AS xtype, "
                   "(CASE WHEN m.type = 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE AS type FROM " +
                   s +
                   "sqlite_master m WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\\_%' "
                   "ESCAPE '\\')";
        }
        if (name == "SYSFILES") {
            std::string s = schema(catalog);
            std::string sch = quoteLiteral(s == "main." || s.empty() ? "main" : lower(catalog));
            std::string logical = quoteLiteral(catalog.empty() ? current_ : catalog);
            return "(SELECT 1 AS fileid, 1 AS groupid, quillan_pages(" + sch +
                   ", 0) AS size, -1 AS maxsize, 0 AS growth, 2 AS status, " + logical +
                   " AS name, quillan_filename(" + sch +
                   ") AS filename UNION ALL SELECT 2, 0, quillan_pages(" + sch + ", 1), -1, 0, 66, " +
                   logical + " || '_log', quillan_filename(" + sch + ") || '-journal')";
        }
        handled = false;
        return {};
    }

    std::vector<std::pair<std::size_t, std::size_t>> splitArgs(std::size_t b, std::size_t e) const {
        std::vector<std::pair<std::size_t, std::size_t>> out;
        if (b >= e)
            return out;
        int depth = 0;
        std::size_t s = b;
        for (std::size_t k = b; k < e; ++k) {
            if (t_[k].kind == Tok::LParen)
                ++depth;
            else if (t_[k].kind == Tok::RParen)
                --depth;
            else if (t_[k].kind == Tok::Comma && depth == 0) {
                out.emplace_back(s, k);
                s = k + 1;
            }
        }
        out.emplace_back(s, e);
        return out;
    }

    // CONVERT / CAST target type -> engine conversion call.
    std::string conversion(std::size_t tb, std::size_t te, const std::string& value,
                           const std::string& style) {
        if (tb >= te || t_[tb].kind != Tok::Ident)
            syntax(tb);
        std::string type = upper(t_[tb].text);
        std::vector<std::string> args;
        if (tb + 1 < te && t_[tb + 1].kind == Tok::LParen) {
            for (auto [b, e] : splitArgs(tb + 2, matchParen(tb + 1, te)))
                for (std::size_t k = b; k < e; ++k)
                    args.push_back(upper(t_[k].text));
        }
        auto num = [&](std::size_t k, const char* fallback) {
            return k < args.size() ? (args[k] == "MAX" ? std::string("-1") : args[k]) : std::string(fallback);
        };
        if (type == "VARCHAR" || type == "NVARCHAR" || type == "CHAR" || type == "NCHAR" || type == "TEXT" ||
            type == "NTEXT" || type == "SYSNAME") {
            bool pad = type == "CHAR" || type == "NCHAR";
            std::string len = type == "TEXT" || type == "NTEXT" ? "-1" : num(0, "30");
            return "quillan_to_text(" + value + ", " + len + ", " + style + ", " + (pad ? "1" : "0") + ")";
        }
        if (type == "INT" || type == "INTEGER" || type == "BIGINT" || type == "SMALLINT" ||
            type == "TINYINT") {
            const char* bits = type == "BIGINT"     ? "64"
                               : type == "SMALLINT" ? "16"
                               : type == "TINYINT"  ? "8"
                                                    : "32";
            return std::string("quillan_to_int(") + value + ", " + bits + ")";
        }
        if (type == "BIT")
            return "quillan_to_bit(" + value + ")";
        if (type == "DEC" || type == "DECIMAL" || type == "NUMERIC")
            return "quillan_to_decimal(" + value + ", " + num(0, "18") + ", " + num(1, "0") + ")";
        if (type == "MONEY" || type == "SMALLMONEY")
            return "quillan_to_decimal(" + value + ", 19, 4)";
        if (type == "FLOAT" || type == "REAL")
            return "quillan_to_float(" + value + ")";
        if (type == "DATETIME" || type == "SMALLDATETIME" || type == "DATETIME2")
            return "quillan_to_datetime(" + value + ", " + style + ", 0)";
        if (type == "DATE")
            return "quillan_to_datetime(" + value + ", " + style + ", 1)";
        unsupported("Conversion to the type " + t_[tb].text);
    }

    std::string call(const NameParts& n, std::size_t lp, std::size_t rp, bool tableContext) {
        auto args = splitArgs(lp + 1, rp);
        auto arg = [&](std::size_t k) { return range(args[k].first, args[k].second); };
        if (n.parts.size() > 1) {
            if (!isObjectChain(n))
                unsupported("The function call '" + n.parts[0] + "." + n.parts.back() + "'");
            std::string obj = object(n.parts);
            if (tableContext) {
                if (!args.empty())
                    unsupported("A table function with arguments ('" + n.parts.back() + "')");
                return obj;
            }
            if (args.empty())
                return "(SELECT Answer FROM " + obj + " LIMIT 1)";
            if (args.size() == 1)
                return "(SELECT Answer FROM " + obj + " WHERE Arg = (" + arg(0) + ") LIMIT 1)";
            unsupported("A scalar function with several arguments ('" + n.parts.back() + "')");
        }
        std::string f = upper(n.parts[0]);
        auto need = [&](std::size_t lo, std::size_t hi) {
            if (args.size() < lo || args.size() > hi)
                throw DbError("The " + f + " function requires " + std::to_string(lo) +
                              (lo == hi ? "" : " to " + std::to_string(hi)) + " argument(s).");
        };
        auto joined = [&](const char* name) {
            std::string s = std::string(name) + "(";
            for (std::size_t k = 0; k < args.size(); ++k)
                s += (k ? ", " : "") + arg(k);
            return s + ")";
        };
        if (f == "ISNULL") {
            need(2, 2);
            return joined("IFNULL");
        }
        if (f == "LEN") {
            need(1, 1);
            return joined("quillan_len");
        }
        if (f == "DATALENGTH") {
            need(1, 1);
            return "length(CAST(" + arg(0) + " AS BLOB))";
        }
        if (f == "LTRIM" || f == "RTRIM") {
            need(1, 1);
            return f == "LTRIM" ? "ltrim(" + arg(0) + ", ' ')" : "rtrim(" + arg(0) + ", ' ')";
        }
        if (f == "CHARINDEX") {
            need(2, 3);
            return joined("quillan_charindex");
        }
        if (f == "SUBSTRING") {
            need(3, 3);
            return joined("quillan_substring");
        }
        if (f == "LEFT") {
            need(2, 2);
            return "quillan_substring(" + arg(0) + ", 1, " + arg(1) + ")";
        }
        if (f == "RIGHT") {
            need(2, 2);
            return joined("quillan_right");
        }
        if (f == "REPLACE") {
            need(3, 3);
            return joined("quillan_replace");
        }
        if (f == "GETDATE") {
            need(0, 0);
            return "quillan_getdate()";
        }
        if (f == "YEAR" || f == "MONTH" || f == "DAY") {
            need(1, 1);
            const char* part = f == "YEAR" ? "'%Y'" : f == "MONTH" ? "'%m'" : "'%d'";
            return std::string("CAST(strftime(") + part + ", " + arg(0) + ") AS INTEGER)";
        }
        if (f == "UPPER" || f == "LOWER" || f == "ABS" || f == "COALESCE" || f == "NULLIF" || f == "COUNT" ||
            f == "SUM" || f == "MIN" || f == "MAX" || f == "AVG" || f == "ROUND") {
            if (f == "COUNT" && args.size() == 1 && args[0].second == args[0].first + 1 &&
                t_[args[0].first].isOp("*"))
                return n.parts[0] + "(*)";
            return joined(n.parts[0].c_str());
        }
        if (f == "CONVERT") {
            need(2, 3);
            std::string style = args.size() == 3 ? arg(2) : "NULL";
            return conversion(args[0].first, args[0].second, arg(1), style);
        }
        if (f == "CAST") {
            need(1, 1);
            // CAST(expr AS type): find the AS at depth 0.
            int depth = 0;
            for (std::size_t k = lp + 1; k < rp; ++k) {
                if (t_[k].kind == Tok::LParen)
                    ++depth;
                else if (t_[k].kind == Tok::RParen)
                    --depth;
                else if (depth == 0 && t_[k].is("AS"))
                    return conversion(k + 1, rp, range(lp + 1, k), "NULL");
            }
            syntax(lp);
        }
        if (f == "OPENROWSET")
            return openRowset(args);
        throw DbError("'" + n.parts[0] + "' is not a recognized built-in function name.");
    }

    std::string openRowset(const std::vector<std::pair<std::size_t, std::size_t>>& args) {
        if (args.size() != 3)
            throw DbError("OPENROWSET needs a provider, a connection text and a sheet.");
        auto str = [&](std::size_t k) -> std::string {
            if (args[k].second != args[k].first + 1 || t_[args[k].first].kind != Tok::String)
                throw DbError("OPENROWSET: argument " + std::to_string(k + 1) + " must be a text literal.");
            return t_[args[k].first].text;
        };
        std::string provider = str(0);
        if (!iequals(provider, "Microsoft.Jet.OLEDB.4.0") && !iequals(provider, "Microsoft.ACE.OLEDB.12.0"))
            unsupported("The OPENROWSET provider '" + provider + "'");
        RowsetSource src;
        std::string options = str(1);
        std::size_t pos = 0;
        bool excel = false;
        while (pos <= options.size()) {
            std::size_t semi = options.find(';', pos);
            std::string part =
                options.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
            std::string key = upper(part.substr(0, part.find('=')));
            if (key.rfind("EXCEL", 0) == 0)
                excel = true;
            else if (key == "DATABASE")
                src.file = part.substr(part.find('=') + 1);
            else if (key == "HDR" && !iequals(part.substr(part.find('=') + 1), "YES"))
                unsupported("OPENROWSET without a header row");
            if (semi == std::string::npos)
                break;
            pos = semi + 1;
        }
        if (!excel || src.file.empty())
            unsupported("OPENROWSET on '" + options + "' (only Excel workbooks with Database=)");
        const Token& sheet = t_[args[2].first];
        std::string name;
        if (sheet.kind == Tok::Ident && args[2].second == args[2].first + 1) {
            name = sheet.text;
        } else if (sheet.kind == Tok::String) {
            auto inner = tokenize(sheet.text);
            if (inner.size() == 4 && inner[0].is("SELECT") && inner[1].isOp("*") && inner[2].is("FROM"))
                name = inner[3].text;
            else
                unsupported("The OPENROWSET query '" + sheet.text + "'");
        } else {
            syntax(args[2].first);
        }
        if (!name.empty() && name.back() == '$')
            name.pop_back();
        src.sheet = name;
        src.tempTable = "quillan_rowset_" + std::to_string(++rowsets_);
        if (sink_)
            sink_->rowsets.push_back(src);
        return "temp." + quoteIdent(src.tempTable);
    }

    // Translates the tokens [b, e) of one nesting level (an expression list, a clause, a statement).
    std::string range(std::size_t b, std::size_t e) {
        std::vector<Item> items;
        std::string limit;
        bool unionSeen = false;
        std::size_t i = b;
        auto prevIs = [&](const char* w) { return i > b && at(i - 1).is(w); };
        while (i < e) {
            const Token& tok = t_[i];
            if (tok.is("WITH") || tok.kind == Tok::LParen) {
                std::size_t k = skipHints(i, e);
                if (k != i && i > b &&
                    (isName(at(i - 1)) || at(i - 1).kind == Tok::RParen || tok.is("WITH"))) {
                    i = k;
                    continue;
                }
            }
            switch (tok.kind) {
            case Tok::LParen: {
                std::size_t rp = matchParen(i, e);
                items.push_back({Item::Operand, "(" + range(i + 1, rp) + ")"});
                i = rp + 1;
                continue;
            }
            case Tok::RParen:
            case Tok::Dot:
            case Tok::Semicolon:
                syntax(i);
            case Tok::Comma:
                items.push_back({Item::Boundary, ","});
                ++i;
                continue;
            case Tok::String:
                items.push_back({Item::Operand, quoteLiteral(tok.text)});
                ++i;
                continue;
            case Tok::Number:
                items.push_back({Item::Operand, tok.text});
                ++i;
                continue;
            case Tok::Variable:
                unsupported("The variable " + tok.text);
            case Tok::Op:
                if (tok.text == "+" || tok.text == "-" || tok.text == "*" || tok.text == "/" ||
                    tok.text == "%" || tok.text == "&" || tok.text == "|" || tok.text == "^" ||
                    tok.text == "~")
                    items.push_back({Item::Op, tok.text});
                else if (tok.text.size() == 2 && tok.text[1] == '=' && tok.text != "<=" && tok.text != ">=" &&
                         tok.text != "!=")
                    unsupported("The compound assignment " + tok.text);
                else if (tok.text == "!<")
                    items.push_back({Item::Boundary, ">="});
                else if (tok.text == "!>")
                    items.push_back({Item::Boundary, "<="});
                else
                    items.push_back({Item::Boundary, tok.text});
                ++i;
                continue;
            case Tok::Ident:
                break;
            }
            if (!tok.quoted && tok.is("TOP") && (prevIs("SELECT") || prevIs("DISTINCT") || prevIs("ALL"))) {
                std::size_t k = i + 1;
                if (at(k).kind == Tok::Number) {
                    limit = at(k).text;
                    k += 1;
                } else if (at(k).kind == Tok::LParen && at(k + 1).kind == Tok::Number &&
                           at(k + 2).kind == Tok::RParen) {
                    limit = at(k + 1).text;
                    k += 3;
                } else {
                    unsupported("TOP with an expression");
                }
                if (at(k).is("PERCENT") || (at(k).is("WITH") && at(k + 1).is("TIES")))
                    unsupported("TOP ... " + upper(at(k).text));
                if (unionSeen)
                    unsupported("TOP inside a UNION");
                i = k;
                continue;
            }
            if (!tok.quoted && tok.is("CASE")) {
                int depth = 0, nest = 0;
                std::size_t k = i;
                for (; k < e; ++k) {
                    if (t_[k].kind == Tok::LParen)
                        ++depth;
                    else if (t_[k].kind == Tok::RParen)
                        --depth;
                    else if (depth == 0 && t_[k].is("CASE"))
                        ++nest;
                    else if (depth == 0 && t_[k].is("END") && --nest == 0)
                        break;
                }
                if (k >= e)
                    throw DbError("Incorrect syntax: CASE without END.");
                items.push_back({Item::Operand, "CASE " + range(i + 1, k) + " END"});
                i = k + 1;
                continue;
            }
            if (!tok.quoted && (tok.is("UNION") || tok.is("EXCEPT") || tok.is("INTERSECT"))) {
                if (!limit.empty())
                    unsupported("TOP inside a UNION");
                unionSeen = true;
            }
            if (!tok.quoted && tok.is("CURRENT_TIMESTAMP")) {
                items.push_back({Item::Operand, "quillan_getdate()"});
                ++i;
                continue;
            }
            if (!tok.quoted && tok.is("NULL")) {
                items.push_back({Item::Operand, "NULL"});
                ++i;
                continue;
            }
            if (!tok.quoted && tok.is("INTO") && prevIs("SELECT"))
                unsupported("SELECT ... INTO");
            bool functionWord = (tok.is("LEFT") || tok.is("RIGHT")) && at(i + 1).kind == Tok::LParen;
            if (isKeyword(tok) && !functionWord) {
                items.push_back({Item::Boundary, tok.text});
                ++i;
                continue;
            }
            // A name chain: column, alias.column, catalog object or function call.
            NameParts n = readName(i);
            std::size_t next = n.last + 1;
            bool tableContext = i > b && (at(i - 1).is("FROM") || at(i - 1).is("JOIN") ||
                                          at(i - 1).is("UPDATE") || at(i - 1).is("INTO"));
            if (at(next).kind == Tok::LParen && skipHints(next, e) == next && next < e) {
                if (i > b && at(i - 1).is("REFERENCES")) {
                    std::size_t rp = matchParen(next, e);
                    items.push_back({Item::Operand, object(n.parts) + "(" + range(next + 1, rp) + ")"});
                    i = rp + 1;
                    continue;
                }
                std::size_t rp = matchParen(next, e);
                items.push_back({Item::Operand, call(n, next, rp, tableContext)});
                i = rp + 1;
                continue;
            }
            if (n.parts.size() > 1 && isObjectChain(n)) {
                bool handled = false;
                std::string view = catalogView(n, handled);
                if (handled) {
                    std::size_t k = skipHints(next, e);
                    bool alias = k < e && (at(k).is("AS") || isName(at(k)));
                    items.push_back(
                        {Item::Operand, alias ? view : view + " AS " + quoteIdent(n.parts.back())});
                } else {
                    items.push_back({Item::Operand, object(n.parts)});
                }
            } else if (n.parts.size() == 1 && !n.parts[0].empty() && n.parts[0][0] == '#') {
                items.push_back({Item::Operand, "temp." + quoteIdent(n.parts[0])});
            } else {
                std::string s;
                for (std::size_t k = 0; k < n.parts.size(); ++k) {
                    if (n.parts[k].empty())
                        syntax(i);
                    s += (k ? "." : "") + quoteIdent(n.parts[k]);
                }
                items.push_back({Item::Operand, s});
            }
            i = next;
        }
        std::string out = joinItems(items);
        if (!limit.empty())
            out += " LIMIT " + limit;
        return out;
    }

    // Emits items; an additive chain that contains a binary '+' becomes nested quillan_add calls,
    // which add numbers and concatenate texts as T-SQL's '+' does.
    static std::string joinItems(const std::vector<Item>& items) {
        std::string out;
        std::size_t s = 0;
        auto emit = [&out](const std::string& text) {
            if (!out.empty())
                out += ' ';
            out += text;
        };
        while (s < items.size()) {
            if (items[s].cls == Item::Boundary) {
                emit(items[s].text);
                ++s;
                continue;
            }
            std::size_t e = s;
            while (e < items.size() && items[e].cls != Item::Boundary)
                ++e;
            bool plus = false;
            for (std::size_t k = s + 1; k < e; ++k)
                plus = plus || (items[k].cls == Item::Op && items[k].text == "+" &&
                                items[k - 1].cls == Item::Operand);
            if (!plus) {
                for (std::size_t k = s; k < e; ++k)
                    emit(items[k].text);
            } else {
                std::string acc, term;
                std::string op;
                bool first = true;
                bool numeric = true;
                auto flush = [&]() {
                    if (first) {
                        acc = term;
                        first = false;
                    } else if (op == "+") {
                        acc = numeric ? acc + " + " + term : "quillan_add(" + acc + ", " + term + ")";
                    } else {
                        acc = "(" + acc + ") - (" + term + ")";
                    }
                    term.clear();
                };
                for (std::size_t k = s; k < e; ++k) {
                    bool binary = items[k].cls == Item::Op &&
                                  (items[k].text == "+" || items[k].text == "-") && k > s &&
                                  items[k - 1].cls == Item::Operand;
                    if (binary) {
                        flush();
                        op = items[k].text;
                    } else {
                        if (items[k].cls == Item::Operand &&
                            !(std::isdigit(static_cast<unsigned char>(items[k].text[0]))))
                            numeric = false;
                        term += (term.empty() ? "" : " ") + items[k].text;
                    }
                }
                flush();
                emit(acc);
            }
            s = e;
        }
        return out;
    }

    // ---- statements ----

    std::size_t statementEnd(std::size_t i, std::size_t e) const {
        std::string kind = upper(t_[i].text);
        int depth = 0, caseDepth = 0;
        bool insertBody = false, seenSet = false;
        for (std::size_t k = i + 1; k < e; ++k) {
            const Token& tok = t_[k];
            if (tok.kind == Tok::LParen)
                ++depth;
            else if (tok.kind == Tok::RParen)
                --depth;
            if (depth > 0 || tok.kind != Tok::Ident || tok.quoted) {
                if (depth == 0 && tok.kind == Tok::Semicolon)
                    return k;
                continue;
            }
            if (tok.is("CASE"))
                ++caseDepth;
            if (tok.is("END") && caseDepth > 0) {
                --caseDepth;
                continue;
            }
            if (tok.is("VALUES") && kind == "INSERT")
                insertBody = true;
            if (!isStarter(tok) || (caseDepth > 0 && tok.is("ELSE")))
                continue;
            const Token& prev = t_[k - 1];
            if (tok.is("INSERT") && kind == "BULK" && k == i + 1)
                continue;
            if (tok.is("SELECT")) {
                if (prev.is("UNION") || prev.is("ALL") || prev.is("EXCEPT") || prev.is("INTERSECT"))
                    continue;
                if (kind == "INSERT" && !insertBody) {
                    insertBody = true;
                    continue;
                }
                if (kind == "CREATE" && prev.is("AS"))
                    continue;
            }
            if ((tok.is("EXEC") || tok.is("EXECUTE")) && kind == "INSERT" && !insertBody)
                unsupported("INSERT ... EXEC");
            if (tok.is("SET") && kind == "UPDATE" && !seenSet) {
                seenSet = true;
                continue;
            }
            return k;
        }
        return e;
    }

    std::vector<Step> parseList(std::size_t& i, std::size_t e, bool inBlock) {
        std::vector<Step> steps;
        while (i < e) {
            if (t_[i].kind == Tok::Semicolon) {
                ++i;
                continue;
            }
            if (inBlock && t_[i].is("END"))
                return steps;
            steps.push_back(parseOne(i, e));
        }
        if (inBlock)
            throw DbError("Incorrect syntax: BEGIN without a matching END.");
        return steps;
    }

    Step parseBody(std::size_t& i, std::size_t e) {
        if (i >= e)
            throw DbError("Incorrect syntax near the end of the batch: a statement is expected.");
        if (t_[i].is("BEGIN") && !at(i + 1).is("TRAN") && !at(i + 1).is("TRANSACTION")) {
            ++i;
            Step block;
            block.kind = Step::Kind::Block;
            block.body = parseList(i, e, true);
            ++i; // END
            return block;
        }
        return parseOne(i, e);
    }

    Step parseOne(std::size_t& i, std::size_t e) {
        const Token& tok = t_[i];
        if (tok.kind != Tok::Ident || tok.quoted)
            syntax(i);
        if (tok.is("IF")) {
            std::size_t b = i + 1;
            std::size_t k = b;
            int depth = 0;
            for (; k < e; ++k) {
                if (t_[k].kind == Tok::LParen)
                    ++depth;
                else if (t_[k].kind == Tok::RParen)
                    --depth;
                else if (depth == 0 && isStarter(t_[k]))
                    break;
            }
            if (k == b)
                syntax(i);
            Step s;
            s.kind = Step::Kind::If;
            sink_ = &s.sql;
            s.sql.sql = "SELECT CASE WHEN " + range(b, k) + " THEN 1 ELSE 0 END";
            sink_ = nullptr;
            i = k;
            s.body.push_back(parseBody(i, e));
            if (i < e && t_[i].is("ELSE")) {
                ++i;
                s.other.push_back(parseBody(i, e));
            }
            return s;
        }
        if (tok.is("BEGIN") && !at(i + 1).is("TRAN") && !at(i + 1).is("TRANSACTION"))
            return parseBody(i, e);
        if (tok.is("END") || tok.is("ELSE"))
            syntax(i);
        std::size_t end = statementEnd(i, e);
        Step s = simple(i, end);
        i = end;
        return s;
    }

    Step sqlStep(const std::function<std::string()>& build) {
        Step s;
        s.kind = Step::Kind::Sql;
        sink_ = &s.sql;
        s.sql.sql = build();
        sink_ = nullptr;
        return s;
    }

    Step simple(std::size_t b, std::size_t e) {
        std::string kind = upper(t_[b].text);
        if (kind == "SELECT") {
            int depth = 0;
            for (std::size_t k = b; k < e; ++k) {
                depth += t_[k].kind == Tok::LParen ? 1 : t_[k].kind == Tok::RParen ? -1 : 0;
                if (depth == 0 && t_[k].is("INTO"))
                    unsupported("SELECT ... INTO");
            }
            Step s = sqlStep([&] { return range(b, e); });
            s.sql.columnNames = columnNames(b, e);
            return s;
        }
        if (kind == "INSERT")
            return sqlStep([&] { return insert(b, e); });
        if (kind == "UPDATE") {
            if (at(b + 1).is("TOP"))
                unsupported("UPDATE TOP");
            return sqlStep([&] { return range(b, e); });
        }
        if (kind == "DELETE")
            return sqlStep([&] { return deleteStatement(b, e); });
        if (kind == "CREATE")
            return create(b, e);
        if (kind == "DROP") {
            if (at(b + 1).is("TABLE") || at(b + 1).is("VIEW") || at(b + 1).is("INDEX"))
                return sqlStep([&] { return range(b, e); });
            unsupported("DROP " + at(b + 1).text);
        }
        if (kind == "ALTER") {
            std::size_t k = b + 2;
            if (!at(b + 1).is("TABLE") || !isName(at(k)))
                unsupported("ALTER " + at(b + 1).text);
            NameParts n = readName(k);
            if (!at(n.last + 1).is("ADD"))
                unsupported("ALTER TABLE ... " + at(n.last + 1).text);
            return sqlStep([&] {
                std::string target = tableName(n);
                return "ALTER TABLE " + target + " ADD COLUMN " + columnDef(n.last + 2, e);
            });
        }
        if (kind == "TRUNCATE") {
            if (!at(b + 1).is("TABLE"))
                syntax(b + 1);
            return sqlStep([&] { return "DELETE FROM " + range(b + 2, e); });
        }
        if (kind == "EXEC" || kind == "EXECUTE")
            return exec(b, e);
        if (kind == "KILL") {
            if (e != b + 2 || at(b + 1).kind != Tok::Number)
                throw DbError("KILL needs a process number.");
            Step s;
            s.kind = Step::Kind::Kill;
            s.number = std::stoll(at(b + 1).text);
            return s;
        }
        if (kind == "BULK")
            return bulkInsert(b, e);
        if (kind == "SET") {
            if (e >= b + 3 && kSetOptions.count(upper(at(b + 1).text)))
                return Step{};
            unsupported("SET " + at(b + 1).text);
        }
        if (kind == "PRINT" || kind == "GO")
            return Step{};
        if (kind == "USE") {
            if (e == b + 2 && iequals(at(b + 1).text, current_))
                return Step{};
            unsupported("USE of another database inside a batch");
        }
        if (kind == "COMMIT" || kind == "ROLLBACK") {
            Step s;
            s.kind = Step::Kind::Sql;
            s.sql.sql = kind;
            return s;
        }
        if (kind == "BEGIN") {
            Step s;
            s.kind = Step::Kind::Sql;
            s.sql.sql = "BEGIN";
            return s;
        }
        unsupported("The statement " + t_[b].text);
    }

    std::vector<std::optional<std::string>> columnNames(std::size_t b, std::size_t e) const {
        std::size_t k = b + 1;
        if (at(k).is("DISTINCT") || at(k).is("ALL"))
            ++k;
        if (at(k).is("TOP"))
            k += at(k + 1).kind == Tok::LParen ? 4 : 2;
        std::size_t listEnd = k;
        int depth = 0;
        for (; listEnd < e; ++listEnd) {
            const Token& tok = t_[listEnd];
            if (tok.kind == Tok::LParen)
                ++depth;
            else if (tok.kind == Tok::RParen)
                --depth;
            else if (depth == 0 && (tok.is("FROM") || tok.is("UNION") || tok.is("WHERE") || tok.is("ORDER") ||
                                    tok.is("GROUP") || tok.is("INTO")))
                break;
        }
        std::vector<std::optional<std::string>> names;
        for (auto [s, f] : splitArgs(k, listEnd)) {
            if (f <= s)
                return {};
            const Token& last = t_[f - 1];
            if (last.isOp("*"))
                return {};
            if (f - s >= 2 && t_[s].kind == Tok::Ident && t_[s + 1].isOp("="))
                unsupported("The column alias form 'name = expression'");
            bool chain = true;
            for (std::size_t j = s; j < f; ++j)
                chain = chain && ((j - s) % 2 == 0 ? isName(t_[j]) : t_[j].kind == Tok::Dot);
            if (chain && (f - s) % 2 == 1) {
                names.emplace_back(std::nullopt);
            } else if (f - s >= 2 && (isName(last) || last.kind == Tok::String) &&
                       (t_[f - 2].is("AS") || (t_[f - 2].kind != Tok::Dot && t_[f - 2].kind != Tok::Op))) {
                names.emplace_back(last.text);
            } else {
                names.emplace_back(std::string());
            }
        }
        return names;
    }

    std::string insert(std::size_t b, std::size_t e) {
        std::size_t k = b + 1;
        if (at(k).is("INTO"))
            ++k;
        if (!isName(at(k)))
            syntax(k);
        NameParts n = readName(k);
        std::string target = tableName(n);
        k = n.last + 1;
        std::string cols;
        if (at(k).kind == Tok::LParen && !at(k + 1).is("SELECT")) {
            std::size_t rp = matchParen(k, e);
            for (auto [s, f] : splitArgs(k + 1, rp)) {
                if (f != s + 1 || !isName(t_[s]))
                    syntax(s);
                cols += (cols.empty() ? "" : ", ") + quoteIdent(t_[s].text);
            }
            cols = "(" + cols + ")";
            k = rp + 1;
        }
        if (k < e && at(k).is("DEFAULT"))
            return "INSERT INTO " + target + " DEFAULT VALUES";
        return "INSERT INTO " + target + cols + " " + range(k, e);
    }

    std::string deleteStatement(std::size_t b, std::size_t e) {
        if (at(b + 1).is("TOP"))
            unsupported("DELETE TOP");
        if (at(b + 1).is("FROM"))
            return range(b, e);
        // DELETE alias FROM table alias [hints] WHERE ...
        if (!isName(at(b + 1)))
            syntax(b + 1);
        std::string alias = at(b + 1).text;
        std::size_t k = b + 2;
        if (!at(k).is("FROM")) {
            // DELETE table WHERE ... (FROM omitted)
            return "DELETE FROM " + range(b + 1, e);
        }
        ++k;
        if (!isName(at(k)))
            syntax(k);
        NameParts n = readName(k);
        std::size_t after = skipHints(n.last + 1, e);
        std::string given;
        if (at(after).is("AS"))
            ++after;
        if (after < e && isName(at(after))) {
            given = at(after).text;
            after = skipHints(after + 1, e);
        }
        bool matches = iequals(alias, given) || (given.empty() && iequals(alias, n.parts.back()));
        if (!matches || (after < e && !at(after).is("WHERE")))
            unsupported("DELETE with a join or another table (" + alias + ")");
        std::string target = tableName(n);
        return "DELETE FROM " + target + " AS " + quoteIdent(alias) +
               (after < e ? " " + range(after, e) : "");
    }

    // One column definition of CREATE TABLE / ALTER TABLE ADD.
    std::string columnDef(std::size_t s, std::size_t f) {
        if (!isName(at(s)) || s + 1 >= f)
            syntax(s);
        std::string col = quoteIdent(t_[s].text);
        std::size_t k = s + 1;
        if (t_[k].kind != Tok::Ident)
            syntax(k);
        std::string type = upper(t_[k].text);
        std::string typeText = t_[k].text;
        ++k;
        if (k < f && t_[k].kind == Tok::LParen) {
            std::size_t rp = matchParen(k, f);
            typeText += "(";
            for (std::size_t j = k + 1; j < rp; ++j)
                typeText += t_[j].text;
            typeText += ")";
            k = rp + 1;
        }
        bool text =
            type.find("CHAR") != std::string::npos || type == "TEXT" || type == "NTEXT" || type == "SYSNAME";
        bool identity = false;
        std::string collate = text ? " COLLATE NOCASE" : "";
        std::string tail;
        while (k < f) {
            if (t_[k].is("IDENTITY")) {
                identity = true;
                ++k;
                if (at(k).kind == Tok::LParen) {
                    std::size_t rp = matchParen(k, f);
                    if (rp != k + 4 || at(k + 1).text != "1" || at(k + 3).text != "1")
                        unsupported("IDENTITY with a seed or increment other than 1");
                    k = rp + 1;
                }
                continue;
            }
            if (t_[k].is("CLUSTERED") || t_[k].is("NONCLUSTERED")) {
                ++k;
                continue;
            }
            if (t_[k].is("COLLATE")) {
                std::string c = upper(at(k + 1).text);
                collate = c.find("_CS") != std::string::npos || c.find("BIN") != std::string::npos
                              ? " COLLATE BINARY"
                              : " COLLATE NOCASE";
                k += 2;
                continue;
            }
            if (identity && t_[k].is("PRIMARY") && at(k + 1).is("KEY")) {
                k += 2;
                continue;
            }
            // the remaining constraint words up to the next special word
            std::size_t j = k + 1;
            int depth = t_[k].kind == Tok::LParen ? 1 : 0;
            while (j < f && (depth > 0 ||
                             !(t_[j].is("IDENTITY") || t_[j].is("CLUSTERED") || t_[j].is("NONCLUSTERED") ||
                               t_[j].is("COLLATE") || (identity && t_[j].is("PRIMARY"))))) {
                if (t_[j].kind == Tok::LParen)
                    ++depth;
                else if (t_[j].kind == Tok::RParen)
                    --depth;
                ++j;
            }
            tail += " " + range(k, j);
            k = j;
        }
        // A default of the current time must work without the engine's functions.
        for (std::size_t p; (p = tail.find("quillan_getdate()")) != std::string::npos;)
            tail.replace(p, 17, "datetime('now', 'localtime')");
        if (identity) {
            if (type.find("INT") == std::string::npos)
                unsupported("IDENTITY on the type " + typeText);
            return col + " INTEGER PRIMARY KEY AUTOINCREMENT" + tail;
        }
        return col + " " + typeText + collate + tail;
    }

    Step create(std::size_t b, std::size_t e) {
        std::size_t k = b + 1;
        if (at(k).is("TABLE")) {
            NameParts n = readName(k + 1);
            std::size_t lp = n.last + 1;
            if (at(lp).kind != Tok::LParen)
                syntax(lp);
            std::size_t rp = matchParen(lp, e);
            std::size_t after = rp + 1;
            if (after < e && !(at(after).is("ON") || at(after).is("TEXTIMAGE_ON")))
                syntax(after);
            return sqlStep([&] {
                std::string target = tableName(n);
                std::string defs;
                for (auto [s, f] : splitArgs(lp + 1, rp)) {
                    std::string d;
                    std::size_t x = s;
                    if (at(x).is("CONSTRAINT"))
                        x += 2;
                    if (at(x).is("PRIMARY") || at(x).is("UNIQUE") || at(x).is("FOREIGN") ||
                        at(x).is("CHECK")) {
                        std::string c;
                        for (std::size_t y = x; y < f;) {
                            if (t_[y].is("CLUSTERED") || t_[y].is("NONCLUSTERED")) {
                                ++y;
                                continue;
                            }
                            std::size_t z = y + 1;
                            while (z < f && !t_[z].is("CLUSTERED") && !t_[z].is("NONCLUSTERED"))
                                ++z;
                            c += (c.empty() ? "" : " ") + range(y, z);
                            y = z;
                        }
                        d = c;
                    } else {
                        d = columnDef(x, f);
                    }
                    defs += (defs.empty() ? "" : ", ") + d;
                }
                return "CREATE TABLE " + target + " (" + defs + ")";
            });
        }
        if (at(k).is("VIEW")) {
            NameParts n = readName(k + 1);
            std::size_t as = n.last + 1;
            if (!at(as).is("AS"))
                syntax(as);
            return sqlStep([&] {
                std::string target = tableName(n);
                viewCatalog_ = n.parts.size() == 3 ? n.parts[0] : current_;
                std::string body;
                try {
                    body = range(as + 1, e);
                } catch (...) {
                    viewCatalog_.clear();
                    throw;
                }
                viewCatalog_.clear();
                return "CREATE VIEW " + target + " AS " + body;
            });
        }
        if (at(k).is("DATABASE")) {
            if (e != k + 2 || !isName(at(k + 1)))
                unsupported("CREATE DATABASE with options");
            Step s;
            s.kind = Step::Kind::CreateDatabase;
            s.argument = at(k + 1).text;
            return s;
        }
        bool unique = false;
        if (at(k).is("UNIQUE")) {
            unique = true;
            ++k;
        }
        if (at(k).is("CLUSTERED") || at(k).is("NONCLUSTERED"))
            ++k;
        if (at(k).is("INDEX")) {
            std::string ix = at(k + 1).text;
            if (!at(k + 2).is("ON"))
                syntax(k + 2);
            NameParts n = readName(k + 3);
            std::size_t lp = n.last + 1;
            if (at(lp).kind != Tok::LParen)
                syntax(lp);
            std::size_t rp = matchParen(lp, e);
            return sqlStep([&] {
                std::string target = tableName(n);
                std::size_t dot = target.rfind('.');
                std::string schemaPart = target.substr(0, dot + 1);
                return std::string("CREATE ") + (unique ? "UNIQUE " : "") + "INDEX " + schemaPart +
                       quoteIdent(ix) + " ON " + target.substr(dot + 1) + "(" + range(lp + 1, rp) + ")";
            });
        }
        unsupported("CREATE " + at(k).text);
    }

    Step exec(std::size_t b, std::size_t e) {
        std::size_t k = b + 1;
        if (!isName(at(k)))
            unsupported("EXEC of a dynamic statement");
        NameParts n = readName(k);
        std::string proc = n.parts.back();
        if (!iequals(proc, "Proc_ImpSetupDetails"))
            throw DbError("Could not find stored procedure '" + proc + "'.");
        std::size_t a = n.last + 1;
        if (at(a).kind == Tok::Variable && at(a + 1).isOp("="))
            a += 2;
        if (a + 1 != e || at(a).kind != Tok::String)
            throw DbError("Procedure or function 'Proc_ImpSetupDetails' expects one text argument.");
        Step s;
        s.kind = Step::Kind::ImportSetupDetails;
        s.catalog = stepCatalog(n);
        s.table = "SetupDetails";
        s.argument = at(a).text;
        return s;
    }

    Step bulkInsert(std::size_t b, std::size_t e) {
        if (!at(b + 1).is("INSERT"))
            syntax(b + 1);
        std::size_t k = b + 2;
        if (!isName(at(k)))
            syntax(k);
        NameParts n = readName(k);
        k = n.last + 1;
        if (!at(k).is("FROM") || at(k + 1).kind != Tok::String)
            syntax(k);
        Step s;
        s.kind = Step::Kind::BulkInsert;
        s.catalog = stepCatalog(n);
        if (n.parts.size() > 3 || (n.parts.size() >= 2 && !n.parts[n.parts.size() - 2].empty() &&
                                   !iequals(n.parts[n.parts.size() - 2], "dbo")))
            unsupported("BULK INSERT into '" + n.parts.back() + "' outside dbo");
        s.table = n.parts.back();
        s.argument = at(k + 1).text;
        s.number = 1;
        k += 2;
        if (k < e) {
            if (!at(k).is("WITH") || at(k + 1).kind != Tok::LParen)
                syntax(k);
            std::size_t rp = matchParen(k + 1, e);
            for (auto [x, f] : splitArgs(k + 2, rp)) {
                std::string opt = upper(at(x).text);
                if (f != x + 3 || !at(x + 1).isOp("="))
                    unsupported("The BULK INSERT option " + opt);
                const Token& v = at(x + 2);
                auto unescape = [](std::string text) {
                    std::string r;
                    for (std::size_t i = 0; i < text.size(); ++i) {
                        if (text[i] == '\\' && i + 1 < text.size() &&
                            (text[i + 1] == 't' || text[i + 1] == 'n' || text[i + 1] == 'r' ||
                             text[i + 1] == '0')) {
                            char c = text[i + 1];
                            r += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : '\0';
                            ++i;
                        } else {
                            r += text[i];
                        }
                    }
                    return r;
                };
                if (opt == "FIELDTERMINATOR" && v.kind == Tok::String)
                    s.fieldTerminator = unescape(v.text);
                else if (opt == "ROWTERMINATOR" && v.kind == Tok::String)
                    s.rowTerminator = unescape(v.text);
                else if (opt == "FIRSTROW" && v.kind == Tok::Number)
                    s.number = std::stoll(v.text);
                else if (opt == "LASTROW" && v.kind == Tok::Number)
                    s.lastRow = std::stoll(v.text);
                else if ((opt == "CODEPAGE" && v.kind == Tok::String) ||
                         (opt == "DATAFILETYPE" && iequals(v.text, "char")))
                    ; // the file is read as bytes either way
                else
                    unsupported("The BULK INSERT option " + opt);
            }
            if (rp + 1 != e)
                syntax(rp + 1);
        }
        if (s.fieldTerminator.empty() || s.rowTerminator.empty())
            throw DbError("BULK INSERT: empty field or row terminator.");
        return s;
    }
};

} // namespace

Program translateBatch(std::string_view batch, const std::string& currentDatabase) {
    return Translator(batch, currentDatabase).run();
}

} // namespace quillan::db::embedded
