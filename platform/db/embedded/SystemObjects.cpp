// SQL Server's catalog views (sysobjects, sys.objects, INFORMATION_SCHEMA) and the functions that
// ask the catalog about one object (OBJECT_ID, COL_LENGTH), built over SQLite's own catalog. Hotfix
// scripts use them to run twice without harm: "create the table unless it is there".
#include "platform/db/embedded/BatchTranslator.h"

#include "platform/db/Connection.h"

namespace quillan::db::embedded {

namespace {

bool isTempName(const std::string& name) {
    return !name.empty() && name[0] == '#';
}

} // namespace

std::string BatchTranslator::schemaLiteral(const std::string& catalog) {
    std::string s = schema(catalog);
    return quoteLiteral(s == "main." || s.empty() ? "main" : lower(catalog));
}

std::string BatchTranslator::sysObjectsView(const std::string& catalog) {
    const std::string s = schema(catalog);
    return "(SELECT m.name COLLATE NOCASE AS name, m.rowid AS id, 'dbo' AS uid, "
           "(CASE WHEN m.name LIKE 'FN\\_%' ESCAPE '\\' THEN (CASE WHEN EXISTS (SELECT 1 FROM "
           "pragma_table_info(m.name, " +
           schemaLiteral(catalog) +
           ") WHERE name = 'Answer' COLLATE NOCASE) THEN 'FN' ELSE 'TF' END) "
           "WHEN m.type = 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE AS xtype, "
           "(CASE WHEN m.type = 'view' THEN 'V' ELSE 'U' END) COLLATE NOCASE AS type FROM " +
           s +
           "sqlite_master m WHERE m.type IN ('table', 'view') AND m.name NOT LIKE 'sqlite\\_%' "
           "ESCAPE '\\')";
}

std::string BatchTranslator::systemView(const NameParts& n) {
    const auto& p = n.parts;
    if (p.size() == 1 && iequals(p[0], "sysobjects"))
        return sysObjectsView("");
    if (p.size() < 2 || p.size() > 3)
        return {};
    const std::string catalog = p.size() == 3 ? p[0] : "";
    const std::string& owner = p[p.size() - 2];
    const std::string& view = p.back();
    if (iequals(owner, "sys") && (iequals(view, "objects") || iequals(view, "tables")))
        return "(SELECT name, id AS object_id, 1 AS schema_id, xtype AS type, (CASE xtype WHEN 'U' THEN "
               "'USER_TABLE' WHEN 'V' THEN 'VIEW' WHEN 'FN' THEN 'SQL_SCALAR_FUNCTION' ELSE "
               "'SQL_TABLE_VALUED_FUNCTION' END) COLLATE NOCASE AS type_desc FROM " +
               sysObjectsView(catalog) + (iequals(view, "tables") ? " WHERE xtype = 'U'" : "") + ")";
    if (!iequals(owner, "INFORMATION_SCHEMA"))
        return {};
    const std::string common = "(SELECT " + quoteLiteral(catalog.empty() ? current_ : catalog) +
                               " COLLATE NOCASE AS TABLE_CATALOG, 'dbo' COLLATE NOCASE AS TABLE_SCHEMA, "
                               "o.name AS TABLE_NAME, ";
    if (iequals(view, "TABLES"))
        return common +
               "(CASE o.xtype WHEN 'V' THEN 'VIEW' ELSE 'BASE TABLE' END) COLLATE NOCASE AS TABLE_TYPE "
               "FROM " +
               sysObjectsView(catalog) + " o WHERE o.xtype IN ('U', 'V'))";
    if (iequals(view, "COLUMNS"))
        return common +
               "c.name COLLATE NOCASE AS COLUMN_NAME, c.cid + 1 AS ORDINAL_POSITION, (CASE WHEN "
               "c.\"notnull\" OR c.pk THEN 'NO' ELSE 'YES' END) AS IS_NULLABLE, "
               "quillan_type_name(c.type) COLLATE NOCASE AS DATA_TYPE FROM " +
               sysObjectsView(catalog) + " o, pragma_table_info(o.name, " + schemaLiteral(catalog) +
               ") c WHERE o.xtype IN ('U', 'V'))";
    return {};
}

std::vector<std::string> BatchTranslator::literalName(const std::pair<std::size_t, std::size_t>& arg,
                                                      const char* function) const {
    if (arg.second != arg.first + 1 || t_[arg.first].kind != Tok::String)
        unsupported("The " + std::string(function) +
                    " function with anything but a text literal naming the object");
    std::vector<Token> tokens;
    try {
        tokens = tokenize(t_[arg.first].text);
    } catch (const DbError&) {
        return {}; // not a name: SQL Server answers NULL
    }
    std::vector<std::string> parts{std::string()};
    bool wantName = true;
    for (const Token& t : tokens) {
        if (t.kind == Tok::Dot) {
            parts.emplace_back();
            wantName = true;
        } else if (wantName && (t.kind == Tok::Ident)) {
            parts.back() = t.text;
            wantName = false;
        } else {
            return {};
        }
    }
    if (parts.back().empty() || parts.size() > 3)
        return {};
    const bool temp = isTempName(parts.back());
    if (!temp && parts.size() >= 2 && !parts[parts.size() - 2].empty() &&
        !iequals(parts[parts.size() - 2], "dbo"))
        return {}; // the installation's objects all live in dbo
    if (temp)
        return {"#", parts.back()};
    return {parts.size() == 3 ? parts[0] : std::string(), parts.back()};
}

std::string BatchTranslator::objectId(const std::vector<std::pair<std::size_t, std::size_t>>& args) {
    const auto name = literalName(args[0], "OBJECT_ID");
    if (name.empty())
        return "NULL";
    if (name[0] == "#")
        return "(SELECT rowid FROM temp.sqlite_master WHERE type = 'table' AND name = " +
               quoteLiteral(name[1]) + " COLLATE NOCASE)";
    std::string filter = "name = " + quoteLiteral(name[1]);
    if (args.size() == 2)
        filter += " AND xtype = rtrim(" + range(args[1].first, args[1].second) + ")";
    return "(SELECT id FROM " + sysObjectsView(name[0]) + " WHERE " + filter + ")";
}

std::string BatchTranslator::columnLength(const std::vector<std::pair<std::size_t, std::size_t>>& args) {
    const auto name = literalName(args[0], "COL_LENGTH");
    if (name.empty())
        return "NULL";
    const std::string schemaName = name[0] == "#" ? quoteLiteral("temp") : schemaLiteral(name[0]);
    return "(SELECT quillan_col_length(c.type) FROM pragma_table_info(" + quoteLiteral(name[1]) + ", " +
           schemaName + ") c WHERE c.name = (" + range(args[1].first, args[1].second) + ") COLLATE NOCASE)";
}

} // namespace quillan::db::embedded
