#include "platform/db/embedded/Translator.h"
#include "platform/db/embedded/BatchTranslator.h"

#include "platform/db/Connection.h"

#include <cctype>
#include <charconv>
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

} // namespace

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

[[noreturn]] void BatchTranslator::syntax(std::size_t i) const {
    throw DbError("Incorrect syntax near '" + (i < t_.size() ? t_[i].text : std::string("end of batch")) +
                  "'.");
}

BatchTranslator::BatchTranslator(std::string_view batch, const std::string& currentDb)
    : t_(tokenize(batch)), current_(currentDb), closing_(t_.size(), std::string::npos) {
    std::vector<std::size_t> parens;
    std::vector<std::pair<std::size_t, std::size_t>> cases; // CASE token, parentheses open at it
    for (std::size_t k = 0; k < t_.size(); ++k) {
        const Token& tok = t_[k];
        if (tok.kind == Tok::LParen) {
            parens.push_back(k);
        } else if (tok.kind == Tok::RParen && !parens.empty()) {
            closing_[parens.back()] = k;
            parens.pop_back();
            while (!cases.empty() && cases.back().second > parens.size())
                cases.pop_back(); // a CASE left open inside the parentheses never ends
        } else if (tok.is("CASE")) {
            cases.emplace_back(k, parens.size());
        } else if (tok.is("END") && !cases.empty() && cases.back().second == parens.size()) {
            closing_[cases.back().first] = k;
            cases.pop_back();
        }
    }
}

BatchTranslator::Nested::Nested(BatchTranslator& t) : t_(t) {
    if (++t_.nesting_ > kMaxNesting) {
        --t_.nesting_;
        throw DbError("The statement is nested too deeply (more than " + std::to_string(kMaxNesting) +
                      " levels).");
    }
}

std::size_t BatchTranslator::matchParen(std::size_t lp, std::size_t e) const {
    std::size_t rp = lp < closing_.size() && t_[lp].kind == Tok::LParen ? closing_[lp] : std::string::npos;
    if (rp == std::string::npos || rp >= e)
        throw DbError("Incorrect syntax: missing ')' in the statement.");
    return rp;
}

std::size_t BatchTranslator::caseEnd(std::size_t i, std::size_t e) const {
    std::size_t end = i < closing_.size() ? closing_[i] : std::string::npos;
    return end < e ? end : std::string::npos;
}

long long BatchTranslator::wholeNumber(std::size_t i, const std::string& what) const {
    const Token& tok = at(i);
    long long n = 0;
    const char* first = tok.text.data();
    const char* last = first + tok.text.size();
    auto [end, ec] = std::from_chars(first, last, n);
    if (tok.kind != Tok::Number || ec == std::errc::invalid_argument || end != last)
        throw DbError(what + " must be a whole number, not '" + tok.text + "'.");
    if (ec == std::errc::result_out_of_range)
        throw DbError(what + " " + tok.text + " is out of range.");
    return n;
}

std::size_t BatchTranslator::skipHints(std::size_t k, std::size_t e) const {
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

NameParts BatchTranslator::readName(std::size_t i) const {
    if (at(i).kind != Tok::Ident)
        syntax(i);
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

std::string BatchTranslator::schema(const std::string& catalog) {
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

std::string BatchTranslator::object(const std::vector<std::string>& parts) {
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

bool BatchTranslator::isObjectChain(const NameParts& n) const {
    return n.parts.size() >= 3 || (n.parts.size() == 2 && iequals(n.parts[0], "dbo"));
}

std::string BatchTranslator::tableName(const NameParts& n) {
    return n.parts.size() == 1 ? object({"dbo", n.parts[0]}) : object(n.parts);
}

std::string BatchTranslator::stepCatalog(const NameParts& n) const {
    if (n.parts.size() != 3 || iequals(n.parts[0], current_))
        return "";
    return n.parts[0];
}

std::string BatchTranslator::catalogView(const NameParts& n, bool& handled) {
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
    if (name == "SYSOBJECTS")
        return sysObjectsView(catalog);
    if (name == "SYSFILES") {
        std::string s = schema(catalog);
        std::string sch = quoteLiteral(s == "main." || s.empty() ? "main" : lower(catalog));
        std::string logical = quoteLiteral(catalog.empty() ? current_ : catalog);
        return "(SELECT 1 AS fileid, 1 AS groupid, quillan_pages(" + sch +
               ", 0) AS size, -1 AS maxsize, 0 AS growth, 2 AS status, " + logical +
               " AS name, quillan_filename(" + sch + ") AS filename UNION ALL SELECT 2, 0, quillan_pages(" +
               sch + ", 1), -1, 0, 66, " + logical + " || '_log', quillan_filename(" + sch +
               ") || '-journal')";
    }
    handled = false;
    return {};
}

std::vector<std::pair<std::size_t, std::size_t>> BatchTranslator::splitArgs(std::size_t b,
                                                                            std::size_t e) const {
    std::vector<std::pair<std::size_t, std::size_t>> out;
    if (b >= e)
        return out;
    std::size_t s = b;
    for (std::size_t k = b; k < e; ++k) {
        if (t_[k].kind == Tok::LParen && closing_[k] < e)
            k = closing_[k]; // nothing inside the parentheses splits this level
        else if (t_[k].kind == Tok::Comma) {
            out.emplace_back(s, k);
            s = k + 1;
        }
    }
    out.emplace_back(s, e);
    return out;
}

std::string BatchTranslator::range(std::size_t b, std::size_t e) {
    Nested level(*this);
    std::vector<Item> items;
    std::string limit;
    bool unionSeen = false;
    std::size_t i = b;
    auto prevIs = [&](const char* w) { return i > b && at(i - 1).is(w); };
    while (i < e) {
        const Token& tok = t_[i];
        if (tok.is("WITH") || tok.kind == Tok::LParen) {
            std::size_t k = skipHints(i, e);
            if (k != i && i > b && (isName(at(i - 1)) || at(i - 1).kind == Tok::RParen || tok.is("WITH"))) {
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
            items.push_back({Item::Operand, quoteLiteral(canonicalDateText(tok.text))});
            ++i;
            continue;
        case Tok::Number:
            items.push_back({Item::Operand, tok.text});
            ++i;
            continue;
        case Tok::Variable:
            // The one system variable the console asks: its own session, to spare it from KILL.
            if (iequals(tok.text, "@@SPID")) {
                items.push_back({Item::Operand, "quillan_spid()"});
                ++i;
                continue;
            }
            unsupported("The variable " + tok.text);
        case Tok::Op:
            if (tok.text == "+" || tok.text == "-" || tok.text == "*" || tok.text == "/" || tok.text == "%" ||
                tok.text == "&" || tok.text == "|" || tok.text == "^" || tok.text == "~")
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
            std::size_t k = caseEnd(i, e);
            if (k == std::string::npos)
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
        bool handled = false;
        std::string view = systemView(n);
        if (view.empty() && n.parts.size() > 1 && isObjectChain(n))
            view = catalogView(n, handled);
        if (!view.empty()) {
            // A view without alias keeps its own name for the columns that name it.
            std::size_t k = skipHints(next, e);
            bool alias = k < e && (at(k).is("AS") || isName(at(k)));
            items.push_back({Item::Operand, alias ? view : view + " AS " + quoteIdent(n.parts.back())});
        } else if (n.parts.size() > 1 && isObjectChain(n)) {
            items.push_back({Item::Operand, object(n.parts)});
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

std::string BatchTranslator::joinItems(const std::vector<Item>& items) {
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
            plus = plus ||
                   (items[k].cls == Item::Op && items[k].text == "+" && items[k - 1].cls == Item::Operand);
        if (!plus) {
            for (std::size_t k = s; k < e; ++k)
                emit(items[k].text);
        } else {
            // The terms between binary '+' / '-'; a run of '+' becomes one call over all its terms.
            std::vector<std::string> terms{std::string()};
            std::vector<std::string> ops;
            bool numeric = true;
            for (std::size_t k = s; k < e; ++k) {
                bool binary = items[k].cls == Item::Op && (items[k].text == "+" || items[k].text == "-") &&
                              k > s && items[k - 1].cls == Item::Operand;
                if (binary) {
                    ops.push_back(items[k].text);
                    terms.emplace_back();
                    continue;
                }
                if (items[k].cls == Item::Operand &&
                    !std::isdigit(static_cast<unsigned char>(items[k].text[0])))
                    numeric = false;
                terms.back() += (terms.back().empty() ? "" : " ") + items[k].text;
            }
            std::string acc = terms[0];
            std::vector<std::string> added;
            auto addPending = [&] {
                if (added.empty())
                    return;
                if (numeric) {
                    for (const auto& t : added)
                        acc += " + " + t;
                } else {
                    acc = "quillan_add(" + acc;
                    for (const auto& t : added)
                        acc += ", " + t;
                    acc += ")";
                }
                added.clear();
            };
            for (std::size_t k = 0; k < ops.size(); ++k) {
                if (ops[k] == "+") {
                    added.push_back(terms[k + 1]);
                } else {
                    addPending();
                    acc = "(" + acc + ") - (" + terms[k + 1] + ")";
                }
            }
            addPending();
            emit(acc);
        }
        s = e;
    }
    return out;
}

Program translateBatch(std::string_view batch, const std::string& currentDatabase) {
    return BatchTranslator(batch, currentDatabase).run();
}

} // namespace quillan::db::embedded
