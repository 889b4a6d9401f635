#include "platform/db/embedded/Importers.h"

#include "platform/RegularFile.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Lexer.h"
#include "platform/db/embedded/SqlFunctions.h"
#include "platform/db/embedded/WorkbookCheck.h"

#include <freexl.h>
#include <pugixml.hpp>

#include <map>
#include <memory>
#include <random>

namespace quillan::db::embedded {

namespace fs = std::filesystem;

namespace {

struct Stmt {
    sqlite3_stmt* s = nullptr;
    Stmt(sqlite3* db, const std::string& sql) {
        if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s, nullptr) != SQLITE_OK)
            throw DbError(sqlite3_errmsg(db));
    }
    ~Stmt() { sqlite3_finalize(s); }
    Stmt(const Stmt&) = delete;
    Stmt& operator=(const Stmt&) = delete;
    void run(sqlite3* db) {
        int rc;
        while ((rc = sqlite3_step(s)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE)
            throw DbError(sqlite3_errmsg(db));
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
    }
};

void exec(sqlite3* db, const std::string& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::string m = err ? err : "unknown error";
        sqlite3_free(err);
        throw DbError(m);
    }
}

template <class F> void inSavepoint(sqlite3* db, F&& work) {
    exec(db, "SAVEPOINT quillan_import");
    try {
        work();
    } catch (...) {
        sqlite3_exec(db, "ROLLBACK TO quillan_import; RELEASE quillan_import", nullptr, nullptr, nullptr);
        throw;
    }
    exec(db, "RELEASE quillan_import");
}

// The whole of a file a statement names; `what` is the name as written, `verb` the statement's
// own words for the failure ("Cannot bulk load"). Anything but a regular file is refused.
std::string readNamedFile(const fs::path& file, const std::string& what, const std::string& verb) {
    RegularFileRead r = readRegularFile(file);
    if (r.status == RegularFileStatus::NotRegular)
        throw DbError(verb + " because \"" + what + "\" is not a regular file.");
    if (r.status != RegularFileStatus::Read)
        throw DbError(verb + " because the file \"" + what + "\" could not be opened.");
    return std::move(r.bytes);
}

// A workbook is opened by freexl itself, by name: the name must lead to a regular file.
void requireRegularFile(const fs::path& file, const std::string& what) {
    std::error_code ec;
    const fs::path real = fs::canonical(file, ec);
    if (ec)
        throw DbError("OPENROWSET: the workbook '" + what + "' cannot be opened.");
    if (!fs::is_regular_file(real, ec))
        throw DbError("OPENROWSET: '" + what + "' is not a regular file.");
}

std::vector<std::string> split(const std::string& s, const std::string& sep) {
    std::vector<std::string> out;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = s.find(sep, pos)) != std::string::npos; pos = hit + sep.size())
        out.push_back(s.substr(pos, hit - pos));
    out.push_back(s.substr(pos));
    return out;
}

std::string insertSql(const std::string& schema, const std::string& table,
                      const std::vector<ColumnInfo>& cols) {
    std::string names, marks;
    for (std::size_t i = 0; i < cols.size(); ++i) {
        names += (i ? ", " : "") + quoteIdent(cols[i].name);
        marks += i ? ", ?" : "?";
    }
    return "INSERT INTO " + quoteIdent(schema) + "." + quoteIdent(table) + " (" + names + ") VALUES (" +
           marks + ")";
}

struct ValueFree {
    void operator()(sqlite3_value* v) const { sqlite3_value_free(v); }
};
using OwnedValue = std::unique_ptr<sqlite3_value, ValueFree>;

// The value each column's default expression gives (null where there is none), evaluated once:
// what SQL Server's BULK INSERT puts in for an empty field unless KEEPNULLS is given.
std::vector<OwnedValue> columnDefaults(sqlite3* db, const std::vector<ColumnInfo>& cols) {
    std::vector<OwnedValue> values(cols.size());
    for (std::size_t c = 0; c < cols.size(); ++c) {
        if (cols[c].defaultSql.empty())
            continue;
        Stmt eval(db, "SELECT " + cols[c].defaultSql);
        if (sqlite3_step(eval.s) == SQLITE_ROW)
            values[c].reset(sqlite3_value_dup(sqlite3_column_value(eval.s, 0)));
    }
    return values;
}

std::vector<ColumnKind> columnKinds(const std::vector<ColumnInfo>& cols) {
    std::vector<ColumnKind> kinds;
    for (const auto& c : cols)
        kinds.push_back(columnKind(c.type));
    return kinds;
}

} // namespace

std::vector<ColumnInfo> tableColumns(sqlite3* db, const std::string& schema, const std::string& table) {
    Stmt s(db, "SELECT name, type, dflt_value FROM pragma_table_info(?, ?)");
    sqlite3_bind_text(s.s, 1, table.c_str(), -1, SQLITE_TRANSIENT);
    sqlite3_bind_text(s.s, 2, schema.c_str(), -1, SQLITE_TRANSIENT);
    std::vector<ColumnInfo> cols;
    while (sqlite3_step(s.s) == SQLITE_ROW) {
        const auto* dflt = reinterpret_cast<const char*>(sqlite3_column_text(s.s, 2));
        cols.push_back({reinterpret_cast<const char*>(sqlite3_column_text(s.s, 0)),
                        reinterpret_cast<const char*>(sqlite3_column_text(s.s, 1)), dflt ? dflt : ""});
    }
    if (cols.empty())
        throw DbError("Invalid object name '" + table + "'.");
    return cols;
}

void bulkInsert(sqlite3* db, const std::string& schema, const Step& step, const fs::path& file) {
    auto cols = tableColumns(db, schema, step.table);
    std::string data = readNamedFile(file, step.argument, "Cannot bulk load");
    // "\n" as row terminator also ends rows written with CR LF, as the server reads them.
    bool lf = step.rowTerminator == "\n" || step.rowTerminator == "\r\n";
    auto rows = split(data, lf ? "\n" : step.rowTerminator);
    if (!rows.empty() && rows.back().empty())
        rows.pop_back();
    const auto kinds = columnKinds(cols);
    const auto defaults = step.keepNulls ? std::vector<OwnedValue>(cols.size()) : columnDefaults(db, cols);
    inSavepoint(db, [&] {
        Stmt ins(db, insertSql(schema, step.table, cols));
        for (std::size_t r = 0; r < rows.size(); ++r) {
            long long rowNo = static_cast<long long>(r) + 1;
            if (rowNo < step.number)
                continue;
            if (step.lastRow > 0 && rowNo > step.lastRow)
                break;
            std::string line = rows[r];
            if (lf && !line.empty() && line.back() == '\r')
                line.pop_back();
            auto fields = split(line, step.fieldTerminator);
            if (fields.size() != cols.size())
                throw DbError("Bulk load data conversion error: row " + std::to_string(rowNo) + " of \"" +
                              step.argument + "\" has " + std::to_string(fields.size()) + " fields, table '" +
                              step.table + "' has " + std::to_string(cols.size()) + " columns.");
            for (std::size_t c = 0; c < cols.size(); ++c)
                if (fields[c].empty() && defaults[c])
                    sqlite3_bind_value(ins.s, static_cast<int>(c) + 1, defaults[c].get());
                else
                    bindConverted(ins.s, static_cast<int>(c) + 1, kinds[c], fields[c], [&] {
                        return "row " + std::to_string(rowNo) + ", column " + std::to_string(c + 1) + " (" +
                               cols[c].name + ")";
                    });
            ins.run(db);
        }
    });
}

// The checked copy of a workbook that freexl reads (WorkbookCheck.h): a file of its own in the
// temporary folder, removed when the sheet is loaded or refused.
class CheckedCopy {
public:
    CheckedCopy() {
        std::random_device random;
        path_ = fs::temp_directory_path() /
                ("quillan-workbook-" + std::to_string(random()) + std::to_string(random()) + ".xls");
    }
    ~CheckedCopy() {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    CheckedCopy(const CheckedCopy&) = delete;
    CheckedCopy& operator=(const CheckedCopy&) = delete;
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

void loadSheet(sqlite3* db, const RowsetSource& src, const fs::path& file) {
    requireRegularFile(file, src.file);
    const CheckedCopy checked;
    WorkbookDateCells dates;
    if (const auto why = writeCheckedWorkbook(file, checked.path(), dates))
        throw DbError("OPENROWSET: the workbook '" + src.file + "' cannot be read: " + *why + ".");
    // freexl allocates its reader before it knows whether the file is a workbook, and leaves it to
    // the caller to free even when the open fails.
    struct Closer {
        const void* h = nullptr;
        ~Closer() {
            if (h)
                freexl_close(h);
        }
    } closer;
    if (freexl_open(checked.path().string().c_str(), &closer.h) != FREEXL_OK)
        throw DbError("OPENROWSET: the workbook '" + src.file + "' cannot be opened as an Excel 97 file.");
    const void* handle = closer.h;
    unsigned int sheets = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheets);
    int found = -1;
    for (unsigned short i = 0; i < sheets; ++i) {
        const char* name = nullptr;
        if (freexl_get_worksheet_name(handle, i, &name) == FREEXL_OK && name && iequals(name, src.sheet))
            found = i;
    }
    if (found < 0)
        throw DbError("OPENROWSET: the workbook '" + src.file + "' has no sheet '" + src.sheet + "$'.");
    freexl_select_active_worksheet(handle, static_cast<unsigned short>(found));
    unsigned int rows = 0;
    unsigned short cols = 0;
    freexl_worksheet_dimensions(handle, &rows, &cols);
    // A date cell freexl was given as a plain number reads as the date text freexl would have made.
    std::string dateText;
    auto cell = [&](unsigned int r, unsigned short c, FreeXL_CellValue& v) {
        if (freexl_get_cell_value(handle, r, c, &v) != FREEXL_OK)
            throw DbError("OPENROWSET: cannot read a cell of '" + src.file + "'.");
        if (const DateCell* date = dates.find(static_cast<unsigned>(found), r, c)) {
            dateText = serialDateText(date->serial, date->kind);
            v.type = date->kind == DateKind::Date       ? FREEXL_CELL_DATE
                     : date->kind == DateKind::DateTime ? FREEXL_CELL_DATETIME
                                                        : FREEXL_CELL_TIME;
            v.value.text_value = dateText.c_str();
        }
    };
    std::vector<std::string> names;
    for (unsigned short c = 0; c < cols; ++c) {
        FreeXL_CellValue v;
        cell(0, c, v);
        std::string n;
        if (v.type == FREEXL_CELL_TEXT || v.type == FREEXL_CELL_SST_TEXT)
            n = v.value.text_value;
        else if (v.type == FREEXL_CELL_INT)
            n = std::to_string(v.value.int_value);
        if (n.empty())
            n = "F" + std::to_string(c + 1);
        for (std::size_t e = 0; e < names.size(); ++e)
            if (iequals(names[e], n))
                throw DbError("OPENROWSET: columns " + std::to_string(e + 1) + " and " +
                              std::to_string(c + 1) + " of the sheet '" + src.sheet +
                              "' have the same name.");
        names.push_back(n);
    }
    std::string table = "temp." + quoteIdent(src.tempTable);
    std::string defs, marks;
    for (std::size_t i = 0; i < names.size(); ++i) {
        defs += (i ? ", " : "") + quoteIdent(names[i]) + " COLLATE NOCASE";
        marks += i ? ", ?" : "?";
    }
    exec(db, "DROP TABLE IF EXISTS " + table);
    if (names.empty())
        throw DbError("OPENROWSET: the sheet '" + src.sheet + "' has no header row.");
    exec(db, "CREATE TABLE " + table + " (" + defs + ")");
    Stmt ins(db, "INSERT INTO " + table + " VALUES (" + marks + ")");
    for (unsigned int r = 1; r < rows; ++r) {
        bool any = false;
        for (unsigned short c = 0; c < cols; ++c) {
            FreeXL_CellValue v;
            cell(r, c, v);
            int idx = c + 1;
            switch (v.type) {
            case FREEXL_CELL_INT:
                sqlite3_bind_int64(ins.s, idx, v.value.int_value);
                any = true;
                break;
            case FREEXL_CELL_DOUBLE:
                sqlite3_bind_double(ins.s, idx, v.value.double_value);
                any = true;
                break;
            case FREEXL_CELL_TEXT:
            case FREEXL_CELL_SST_TEXT:
            case FREEXL_CELL_DATE:
            case FREEXL_CELL_DATETIME:
            case FREEXL_CELL_TIME:
                sqlite3_bind_text(ins.s, idx, v.value.text_value, -1, SQLITE_TRANSIENT);
                any = true;
                break;
            default:
                sqlite3_bind_null(ins.s, idx);
            }
        }
        if (any)
            ins.run(db);
        else {
            sqlite3_reset(ins.s);
            sqlite3_clear_bindings(ins.s);
        }
    }
}

void importSetupDetails(sqlite3* db, const std::string& schema, const std::string& table,
                        const std::string& document, const fs::path& fileIfPath) {
    // The document is read where it lies (it can be megabytes): no copy of it is made.
    std::string_view text = document;
    const auto start = text.find_first_not_of(" \t\r\n\xEF\xBB\xBF");
    text = start == std::string_view::npos ? std::string_view() : text.substr(start);
    std::string fromFile;
    if (text.empty() || text[0] != '<') {
        fromFile = readNamedFile(fileIfPath, document, "Proc_ImpSetupDetails: the document cannot be read");
        text = fromFile;
    }
    pugi::xml_document doc;
    pugi::xml_parse_result ok = doc.load_buffer(text.data(), text.size());
    if (!ok)
        throw DbError("Proc_ImpSetupDetails: the XML document cannot be read (" +
                      std::string(ok.description()) + ").");
    pugi::xml_node root = doc.document_element();
    auto cols = tableColumns(db, schema, table);
    // Elements mostly come in table order: the column after the last one found is tried first.
    std::size_t hint = 0;
    auto column = [&](const std::string& name) -> int {
        for (std::size_t k = 0; k < cols.size(); ++k) {
            const std::size_t i = (hint + k) % cols.size();
            if (iequals(cols[i].name, name)) {
                hint = i + 1;
                return static_cast<int>(i);
            }
        }
        return -1;
    };
    // Values a release row takes when the document leaves them out: a fresh row belongs to the
    // release being deployed and has nothing downloaded yet.
    const std::map<std::string, std::string> defaults = {{"STATUS", "1"},
                                                         {"DOWNLOADFILESIZE", "0"},
                                                         {"REGREQUIRED", "0"},
                                                         {"HOTFIXNO", "0"},
                                                         {"FILESPLITSTATUS", "0"}};
    // Per column, once: its conversion and the value a row that leaves it out takes.
    const auto kinds = columnKinds(cols);
    std::vector<std::optional<std::string>> missing(cols.size());
    for (std::size_t c = 0; c < cols.size(); ++c)
        if (auto d = defaults.find(upper(cols[c].name)); d != defaults.end())
            missing[c] = d->second;
    int fileNames = column("File_Names"), version = column("VersionNo"), ext = column("FileExtension");
    if (fileNames < 0)
        throw DbError("Proc_ImpSetupDetails: the table '" + table + "' has no column File_Names.");
    inSavepoint(db, [&] {
        // Each row first deletes the row it replaces: without an index on the key every delete
        // would read the whole table. The index stays for the next import (a failed import takes
        // it back with everything else).
        std::string key = quoteIdent(cols[static_cast<std::size_t>(fileNames)].name);
        if (version >= 0)
            key += ", " + quoteIdent(cols[static_cast<std::size_t>(version)].name);
        exec(db, "CREATE INDEX IF NOT EXISTS " + quoteIdent(schema) + "." +
                     quoteIdent("quillan_" + table + "_import_key") + " ON " + quoteIdent(table) + " (" +
                     key + ")");
        Stmt ins(db, insertSql(schema, table, cols));
        std::string del = "DELETE FROM " + quoteIdent(schema) + "." + quoteIdent(table) +
                          " WHERE File_Names = ?1" + (version >= 0 ? " AND VersionNo IS ?2" : "");
        Stmt remove(db, del);
        int rowNo = 0;
        for (pugi::xml_node row : root.children()) {
            if (row.type() != pugi::node_element)
                continue;
            std::string rowName = row.name();
            if (rowName.size() >= 6 && iequals(rowName.substr(rowName.size() - 6), "schema"))
                continue; // an inline schema written with the data
            ++rowNo;
            std::vector<std::optional<std::string>> values(cols.size());
            auto take = [&](const std::string& name, const std::string& value) {
                int c = column(name);
                if (c < 0)
                    throw DbError("Proc_ImpSetupDetails: invalid column name '" + name + "' in row " +
                                  std::to_string(rowNo) + ".");
                values[static_cast<std::size_t>(c)] = value;
            };
            for (pugi::xml_attribute a : row.attributes())
                if (std::string(a.name()).find(':') == std::string::npos)
                    take(a.name(), a.value());
            for (pugi::xml_node field : row.children())
                if (field.type() == pugi::node_element)
                    take(field.name(), field.text().get());
            if (!values[static_cast<std::size_t>(fileNames)] ||
                values[static_cast<std::size_t>(fileNames)]->empty())
                throw DbError("Proc_ImpSetupDetails: row " + std::to_string(rowNo) + " has no File_Names.");
            const std::string name = *values[static_cast<std::size_t>(fileNames)];
            for (std::size_t c = 0; c < cols.size(); ++c)
                if (!values[c])
                    values[c] = missing[c];
            if (ext >= 0 && !values[static_cast<std::size_t>(ext)] && name.find('.') != std::string::npos)
                values[static_cast<std::size_t>(ext)] = upper(name.substr(name.rfind('.') + 1));
            sqlite3_bind_text(remove.s, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            // The key is bound first, so a bad version is reported here: by its row, as every other value.
            if (version >= 0)
                bindConverted(remove.s, 2, kinds[static_cast<std::size_t>(version)],
                              values[static_cast<std::size_t>(version)].value_or(""), [&] {
                                  return "row " + std::to_string(rowNo) + ", column " +
                                         cols[static_cast<std::size_t>(version)].name;
                              });
            remove.run(db);
            for (std::size_t c = 0; c < cols.size(); ++c)
                bindConverted(ins.s, static_cast<int>(c) + 1, kinds[c], values[c].value_or(""),
                              [&] { return "row " + std::to_string(rowNo) + ", column " + cols[c].name; });
            ins.run(db);
        }
    });
}

} // namespace quillan::db::embedded
