// Statement boundaries, IF/BEGIN blocks and the statements other than CREATE.
#include "platform/db/embedded/BatchTranslator.h"

#include "platform/db/Connection.h"

#include <limits>
#include <set>

namespace quillan::db::embedded {

namespace {

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

} // namespace

std::size_t BatchTranslator::statementEnd(std::size_t i, std::size_t e) const {
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

std::vector<Step> BatchTranslator::parseList(std::size_t& i, std::size_t e, bool inBlock) {
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

Step BatchTranslator::parseBody(std::size_t& i, std::size_t e) {
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

Step BatchTranslator::parseOne(std::size_t& i, std::size_t e) {
    Nested level(*this);
    const Token& tok = at(i);
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

Step BatchTranslator::sqlStep(const std::function<std::string()>& build) {
    Step s;
    s.kind = Step::Kind::Sql;
    sink_ = &s.sql;
    s.sql.sql = build();
    sink_ = nullptr;
    return s;
}

Step BatchTranslator::simple(std::size_t b, std::size_t e) {
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
        s.number = wholeNumber(b + 1, "The process number of KILL");
        // The session runs KILL with an int: a larger number must not wrap onto a live process.
        if (s.number > std::numeric_limits<int>::max())
            throw DbError("Process ID " + at(b + 1).text + " is not an active process ID.");
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

std::vector<std::optional<std::string>> BatchTranslator::columnNames(std::size_t b, std::size_t e) const {
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

std::string BatchTranslator::insert(std::size_t b, std::size_t e) {
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

std::string BatchTranslator::deleteStatement(std::size_t b, std::size_t e) {
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
    return "DELETE FROM " + target + " AS " + quoteIdent(alias) + (after < e ? " " + range(after, e) : "");
}

Step BatchTranslator::exec(std::size_t b, std::size_t e) {
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

Step BatchTranslator::bulkInsert(std::size_t b, std::size_t e) {
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
            if (f == x + 1 && opt == "KEEPNULLS") {
                s.keepNulls = true;
                continue;
            }
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
                s.number = wholeNumber(x + 2, "FIRSTROW");
            else if (opt == "LASTROW" && v.kind == Tok::Number)
                s.lastRow = wholeNumber(x + 2, "LASTROW");
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

} // namespace quillan::db::embedded
