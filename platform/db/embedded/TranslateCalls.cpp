// Function calls: T-SQL built-ins, CONVERT/CAST and OPENROWSET become SQLite or engine calls.
#include "platform/db/embedded/BatchTranslator.h"

#include "platform/db/Connection.h"

namespace quillan::db::embedded {

std::string BatchTranslator::conversion(std::size_t tb, std::size_t te, const std::string& value,
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
    if (type == "INT" || type == "INTEGER" || type == "BIGINT" || type == "SMALLINT" || type == "TINYINT") {
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

std::string BatchTranslator::call(const NameParts& n, std::size_t lp, std::size_t rp, bool tableContext) {
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
    if (f == "OBJECT_ID") {
        need(1, 2);
        return objectId(args);
    }
    if (f == "COL_LENGTH") {
        need(2, 2);
        return columnLength(args);
    }
    if (f == "OPENROWSET")
        return openRowset(args);
    throw DbError("'" + n.parts[0] + "' is not a recognized built-in function name.");
}

std::string BatchTranslator::openRowset(const std::vector<std::pair<std::size_t, std::size_t>>& args) {
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
        std::string part = options.substr(pos, semi == std::string::npos ? std::string::npos : semi - pos);
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

} // namespace quillan::db::embedded
