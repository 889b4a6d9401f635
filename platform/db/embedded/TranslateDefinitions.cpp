// CREATE TABLE / VIEW / INDEX / DATABASE and the column definitions they share with ALTER TABLE ADD.
#include "platform/db/embedded/BatchTranslator.h"

#include "platform/db/Connection.h"

namespace quillan::db::embedded {

std::string BatchTranslator::columnDef(std::size_t s, std::size_t f) {
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
        while (j < f &&
               (depth > 0 || !(t_[j].is("IDENTITY") || t_[j].is("CLUSTERED") || t_[j].is("NONCLUSTERED") ||
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

Step BatchTranslator::create(std::size_t b, std::size_t e) {
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
                if (at(x).is("PRIMARY") || at(x).is("UNIQUE") || at(x).is("FOREIGN") || at(x).is("CHECK")) {
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
        if (!isName(at(k + 1)))
            syntax(k + 1);
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

} // namespace quillan::db::embedded
