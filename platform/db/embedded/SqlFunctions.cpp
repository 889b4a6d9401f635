#include "platform/db/embedded/SqlFunctions.h"

#include "platform/DateTime.h"
#include "platform/Text.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/DeclaredTypes.h"
#include "platform/db/embedded/Lexer.h"

#include <cctype>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string_view>

namespace quillan::db::embedded {

namespace {

std::string text(sqlite3_value* v) {
    const unsigned char* p = sqlite3_value_text(v);
    return p ? std::string(reinterpret_cast<const char*>(p), static_cast<std::size_t>(sqlite3_value_bytes(v)))
             : std::string();
}

bool anyNull(int argc, sqlite3_value** argv) {
    for (int i = 0; i < argc; ++i)
        if (sqlite3_value_type(argv[i]) == SQLITE_NULL)
            return true;
    return false;
}

// UTF-8 aware character handling: positions count characters, as T-SQL's do.
std::vector<std::size_t> charStarts(const std::string& s) {
    std::vector<std::size_t> starts;
    for (std::size_t i = 0; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80)
            starts.push_back(i);
    return starts;
}

std::string substringChars(const std::string& s, long long from0, long long count) {
    auto st = charStarts(s);
    long long n = static_cast<long long>(st.size());
    long long b = std::max(0LL, from0), e = std::min(n, from0 + count);
    if (e <= b)
        return {};
    std::size_t bb = st[static_cast<std::size_t>(b)];
    std::size_t ee = e >= n ? s.size() : st[static_cast<std::size_t>(e)];
    return s.substr(bb, ee - bb);
}

char fold(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::size_t findNoCase(const std::string& hay, const std::string& needle, std::size_t from) {
    if (needle.empty() || hay.size() < needle.size())
        return std::string::npos;
    for (std::size_t i = from; i + needle.size() <= hay.size(); ++i) {
        std::size_t k = 0;
        while (k < needle.size() && fold(hay[i + k]) == fold(needle[k]))
            ++k;
        if (k == needle.size())
            return i;
    }
    return std::string::npos;
}

void resultText(sqlite3_context* ctx, const std::string& value) {
    sqlite3_result_text(ctx, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

void fail(sqlite3_context* ctx, const std::string& message) {
    sqlite3_result_error(ctx, message.c_str(), static_cast<int>(message.size()));
}

std::optional<double> parseNumber(std::string_view value) {
    std::string s(trimmed(value));
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    double d = std::strtod(s.c_str(), &end);
    if (end != s.c_str() + s.size() || !std::isfinite(d))
        return std::nullopt;
    return d;
}

std::optional<long long> parseInteger(std::string_view value) {
    std::string s(trimmed(value));
    if (s.empty())
        return std::nullopt;
    char* end = nullptr;
    errno = 0;
    long long v = std::strtoll(s.c_str(), &end, 10);
    if (end != s.c_str() + s.size() || errno != 0)
        return std::nullopt;
    return v;
}

std::string numberText(double d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15g", d);
    return buf;
}

// Dates in the styles CONVERT offers; nullopt when the text is no date in that style or ISO form.
std::optional<DateTime> parseStyled(const std::string& s, int style) {
    int a = 0, b = 0, c = 0, h = 0, mi = 0, se = 0;
    if (style == 103 || style == 101 || style == 104 || style == 105 || style == 110) {
        char s1 = 0, s2 = 0;
        int n = std::sscanf(s.c_str(), "%d%c%d%c%d %d:%d:%d", &a, &s1, &b, &s2, &c, &h, &mi, &se);
        if (n >= 5) {
            DateTime d;
            bool dayFirst = style == 103 || style == 104 || style == 105;
            d.day = dayFirst ? a : b;
            d.month = dayFirst ? b : a;
            d.year = c;
            d.hour = n >= 6 ? h : 0;
            d.minute = n >= 7 ? mi : 0;
            d.second = n >= 8 ? se : 0;
            if (d.valid())
                return d;
        }
    }
    if (style == 112 && s.size() == 8 && std::sscanf(s.c_str(), "%4d%2d%2d", &a, &b, &c) == 3) {
        DateTime d;
        d.year = a;
        d.month = b;
        d.day = c;
        d.hour = d.minute = d.second = 0;
        if (d.valid())
            return d;
    }
    std::string t = s;
    if (t.size() > 19 && (t[19] == '.' || t[19] == '+' || t[19] == '-' || t[19] == 'Z'))
        t = t.substr(0, 19);
    if (t.size() == 20 && t.back() == 'Z')
        t.pop_back();
    auto d = DateTime::parse(t);
    if (d && d->valid())
        return d;
    return std::nullopt;
}

std::string formatStyled(const DateTime& d, int style) {
    char buf[64];
    switch (style) {
    case 111:
        std::snprintf(buf, sizeof buf, "%04d/%02d/%02d", d.year, d.month, d.day);
        break;
    case 112:
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
        break;
    case 23:
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
        break;
    case 20:
    case 120:
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
        break;
    case 21:
    case 121:
        std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.000", d.year, d.month, d.day, d.hour,
                      d.minute, d.second);
        break;
    case 101:
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.month, d.day, d.year);
        break;
    case 103:
        std::snprintf(buf, sizeof buf, "%02d/%02d/%04d", d.day, d.month, d.year);
        break;
    case 104:
        std::snprintf(buf, sizeof buf, "%02d.%02d.%04d", d.day, d.month, d.year);
        break;
    case 105:
        std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d.day, d.month, d.year);
        break;
    case 108:
        std::snprintf(buf, sizeof buf, "%02d:%02d:%02d", d.hour, d.minute, d.second);
        break;
    case 110:
        std::snprintf(buf, sizeof buf, "%02d-%02d-%04d", d.month, d.day, d.year);
        break;
    default:
        throw DbError(std::to_string(style) +
                      " is not a valid style number when converting from datetime to a "
                      "character string.");
    }
    return buf;
}

void fnLen(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    std::string s = text(argv[0]);
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(charStarts(s).size()));
}

void fnCharindex(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    std::string needle = text(argv[0]), hay = text(argv[1]);
    long long start = argc == 3 ? sqlite3_value_int64(argv[2]) : 1;
    auto st = charStarts(hay);
    std::size_t from =
        start <= 1 ? 0 : (static_cast<std::size_t>(start - 1) < st.size() ? st[start - 1] : hay.size());
    std::size_t pos = findNoCase(hay, needle, from);
    if (pos == std::string::npos)
        return sqlite3_result_int64(ctx, 0);
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(charStarts(hay.substr(0, pos)).size() + 1));
}

void fnSubstring(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    long long start = sqlite3_value_int64(argv[1]), len = sqlite3_value_int64(argv[2]);
    if (len < 0)
        return fail(ctx, "Invalid length parameter passed to the substring function.");
    std::string r = substringChars(text(argv[0]), start - 1, len);
    resultText(ctx, r);
}

void fnRight(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    long long n = sqlite3_value_int64(argv[1]);
    if (n < 0)
        return fail(ctx, "Invalid length parameter passed to the right function.");
    std::string s = text(argv[0]);
    long long total = static_cast<long long>(charStarts(s).size());
    std::string r = substringChars(s, total - n, n);
    resultText(ctx, r);
}

void fnReplace(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    std::string s = text(argv[0]), find = text(argv[1]), with = text(argv[2]);
    if (find.empty()) {
        resultText(ctx, s);
        return;
    }
    std::string r;
    std::size_t pos = 0;
    for (std::size_t hit; (hit = findNoCase(s, find, pos)) != std::string::npos; pos = hit + find.size())
        r += s.substr(pos, hit - pos) + with;
    r += s.substr(pos);
    resultText(ctx, r);
}

void fnGetdate(sqlite3_context* ctx, int, sqlite3_value**) {
    std::string s = DateTime::now().iso();
    resultText(ctx, s);
}

// T-SQL '+' over any number of terms, from left to right: texts concatenate; a text with a number
// converts the text to a number (as SQL Server's type precedence does) and fails when it is none.
// One call takes a whole chain "a + b + c", so a long concatenation nests no deeper than a short one.
struct Sum {
    enum Kind { Integer, Real, Text } kind = Integer;
    long long i = 0;
    double d = 0;
    std::string s;
};

// The value as a number, or nullopt for a text that is none.
std::optional<Sum> asNumber(const Sum& v) {
    if (v.kind != Sum::Text)
        return v;
    Sum n;
    if (auto li = parseInteger(v.s)) {
        n.i = *li;
        n.d = static_cast<double>(*li);
        return n;
    }
    if (auto dd = parseNumber(v.s)) {
        n.kind = Sum::Real;
        n.d = *dd;
        return n;
    }
    return std::nullopt;
}

Sum sumOperand(sqlite3_value* v) {
    Sum r;
    int type = sqlite3_value_type(v);
    if (type == SQLITE_INTEGER) {
        r.i = sqlite3_value_int64(v);
        r.d = static_cast<double>(r.i);
    } else if (type == SQLITE_FLOAT) {
        r.kind = Sum::Real;
        r.d = sqlite3_value_double(v);
    } else {
        r.kind = Sum::Text;
        r.s = text(v);
    }
    return r;
}

void fnAdd(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    if (argc == 0 || anyNull(argc, argv))
        return sqlite3_result_null(ctx);
    Sum acc = sumOperand(argv[0]);
    for (int k = 1; k < argc; ++k) {
        Sum next = sumOperand(argv[k]);
        if (acc.kind == Sum::Text && next.kind == Sum::Text) {
            acc.s += next.s;
            continue;
        }
        auto a = asNumber(acc), b = asNumber(next);
        if (!a || !b) {
            const std::string& bad = a ? next.s : acc.s;
            return fail(ctx,
                        "Conversion failed when converting the varchar value '" + bad + "' to a number.");
        }
        Sum r;
        if (a->kind == Sum::Integer && b->kind == Sum::Integer) {
            if (__builtin_add_overflow(a->i, b->i, &r.i))
                return fail(ctx, "Arithmetic overflow error converting expression to data type bigint.");
            r.d = static_cast<double>(r.i);
        } else {
            r.kind = Sum::Real;
            r.d = a->d + b->d;
        }
        acc = std::move(r);
    }
    switch (acc.kind) {
    case Sum::Integer:
        return sqlite3_result_int64(ctx, acc.i);
    case Sum::Real:
        return sqlite3_result_double(ctx, acc.d);
    case Sum::Text:
        return resultText(ctx, acc.s);
    }
}

void fnToText(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    long long len = sqlite3_value_int64(argv[1]);
    bool styled = sqlite3_value_type(argv[2]) != SQLITE_NULL;
    int style = sqlite3_value_int(argv[2]);
    bool pad = sqlite3_value_int(argv[3]) != 0;
    std::string s;
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_FLOAT)
        s = numberText(sqlite3_value_double(argv[0]));
    else
        s = text(argv[0]);
    if (styled && type == SQLITE_TEXT) {
        if (auto d = parseStyled(s, 0)) {
            try {
                s = formatStyled(*d, style);
            } catch (const DbError& e) {
                return fail(ctx, e.what());
            }
        }
    }
    if (len >= 0) {
        s = substringChars(s, 0, len);
        if (pad)
            s.append(static_cast<std::size_t>(len) - charStarts(s).size(), ' ');
    }
    resultText(ctx, s);
}

void fnToInt(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    int bits = sqlite3_value_int(argv[1]);
    const char* name = bits == 64 ? "bigint" : bits == 16 ? "smallint" : bits == 8 ? "tinyint" : "int";
    long double v = 0;
    if (type == SQLITE_INTEGER) {
        v = static_cast<long double>(sqlite3_value_int64(argv[0]));
    } else if (type == SQLITE_FLOAT) {
        v = std::trunc(static_cast<long double>(sqlite3_value_double(argv[0])));
    } else {
        auto i = parseInteger(text(argv[0]));
        if (!i)
            return fail(ctx, "Conversion failed when converting the varchar value '" + text(argv[0]) +
                                 "' to data type " + name + ".");
        v = static_cast<long double>(*i);
    }
    long double lo = bits == 8 ? 0 : -std::ldexp(1.0L, bits - 1);
    long double hi = bits == 8 ? 255 : std::ldexp(1.0L, bits - 1) - 1;
    if (v < lo || v > hi)
        return fail(ctx, std::string("Arithmetic overflow error converting expression to data type ") + name +
                             ".");
    sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(v));
}

void fnToBit(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    if (type == SQLITE_TEXT) {
        std::string s = text(argv[0]);
        if (iequals(s, "true"))
            return sqlite3_result_int(ctx, 1);
        if (iequals(s, "false"))
            return sqlite3_result_int(ctx, 0);
        auto d = parseNumber(s);
        if (!d)
            return fail(ctx,
                        "Conversion failed when converting the varchar value '" + s + "' to data type bit.");
        return sqlite3_result_int(ctx, *d != 0);
    }
    sqlite3_result_int(ctx, sqlite3_value_double(argv[0]) != 0);
}

void fnToDecimal(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    int precision = sqlite3_value_int(argv[1]), scale = sqlite3_value_int(argv[2]);
    if (precision < 1 || precision > 38 || scale < 0 || scale > precision)
        return fail(ctx, "Invalid precision or scale for a decimal conversion.");
    double v = 0;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        v = sqlite3_value_double(argv[0]);
    } else {
        auto d = parseNumber(text(argv[0]));
        if (!d)
            return fail(ctx, "Error converting data type varchar to numeric.");
        v = *d;
    }
    double factor = std::pow(10.0, scale);
    double r = std::round(v * factor) / factor; // half away from zero, as SQL Server rounds
    if (std::fabs(r) >= std::pow(10.0, precision - scale))
        return fail(ctx, "Arithmetic overflow error converting numeric to data type numeric.");
    if (scale == 0 && std::fabs(r) < 9.0e18)
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(r));
    else
        sqlite3_result_double(ctx, r);
}

void fnToFloat(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    if (type == SQLITE_TEXT) {
        auto d = parseNumber(text(argv[0]));
        if (!d)
            return fail(ctx, "Error converting data type varchar to float.");
        return sqlite3_result_double(ctx, *d);
    }
    sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
}

void fnToDatetime(sqlite3_context* ctx, int, sqlite3_value** argv) {
    int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    int style = sqlite3_value_type(argv[1]) == SQLITE_NULL ? 0 : sqlite3_value_int(argv[1]);
    bool dateOnly = sqlite3_value_int(argv[2]) != 0;
    std::optional<DateTime> d;
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        // Days since 1900-01-01, as SQL Server counts datetime numbers.
        double days = sqlite3_value_double(argv[0]);
        DateTime base;
        base.year = 1900;
        base.month = 1;
        base.day = 1;
        d = DateTime::fromSerialSeconds(base.serialSeconds() +
                                        static_cast<std::int64_t>(std::llround(days * 86400)));
    } else {
        d = parseStyled(text(argv[0]), style);
    }
    if (!d)
        return fail(ctx, "Conversion failed when converting date and/or time from character string.");
    std::string s = dateOnly ? d->isoDate() : d->iso();
    resultText(ctx, s);
}

long long pagesOf(const std::filesystem::path& p) {
    std::error_code ec;
    auto size = std::filesystem::file_size(p, ec);
    return ec ? 0 : static_cast<long long>((size + 8191) / 8192);
}

void fnPages(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::string schema = text(argv[0]);
    const char* file = sqlite3_db_filename(sqlite3_context_db_handle(ctx), schema.c_str());
    if (!file || !*file)
        return sqlite3_result_int64(ctx, 0);
    // SQLite's names are UTF-8 on every system.
    const std::filesystem::path p(std::u8string(reinterpret_cast<const char8_t*>(file)));
    if (sqlite3_value_int(argv[1]) == 0)
        return sqlite3_result_int64(ctx, pagesOf(p));
    sqlite3_result_int64(ctx, pagesOf(std::filesystem::path(p) += "-journal") +
                                  pagesOf(std::filesystem::path(p) += "-wal"));
}

void fnFilename(sqlite3_context* ctx, int, sqlite3_value** argv) {
    std::string schema = text(argv[0]);
    const char* file = sqlite3_db_filename(sqlite3_context_db_handle(ctx), schema.c_str());
    sqlite3_result_text(ctx, file ? file : "", -1, SQLITE_TRANSIENT);
}

void fnTypeName(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    resultText(ctx, typeName(text(argv[0])));
}

void fnColumnLength(sqlite3_context* ctx, int, sqlite3_value** argv) {
    auto length = sqlite3_value_type(argv[0]) == SQLITE_NULL ? std::nullopt : columnLength(text(argv[0]));
    if (!length)
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, *length);
}

} // namespace

void registerFunctions(sqlite3* db) {
    struct Fn {
        const char* name;
        int args;
        void (*f)(sqlite3_context*, int, sqlite3_value**);
        bool deterministic;
    };
    static const Fn fns[] = {
        {"quillan_len", 1, fnLen, true},
        {"quillan_charindex", 2, fnCharindex, true},
        {"quillan_charindex", 3, fnCharindex, true},
        {"quillan_substring", 3, fnSubstring, true},
        {"quillan_right", 2, fnRight, true},
        {"quillan_replace", 3, fnReplace, true},
        {"quillan_getdate", 0, fnGetdate, false},
        {"quillan_add", -1, fnAdd, true},
        {"quillan_to_text", 4, fnToText, true},
        {"quillan_to_int", 2, fnToInt, true},
        {"quillan_to_bit", 1, fnToBit, true},
        {"quillan_to_decimal", 3, fnToDecimal, true},
        {"quillan_to_float", 1, fnToFloat, true},
        {"quillan_to_datetime", 3, fnToDatetime, true},
        {"quillan_pages", 2, fnPages, false},
        {"quillan_filename", 1, fnFilename, false},
        {"quillan_type_name", 1, fnTypeName, true},
        {"quillan_col_length", 1, fnColumnLength, true},
    };
    for (const Fn& f : fns) {
        int flags = SQLITE_UTF8 | (f.deterministic ? SQLITE_DETERMINISTIC : 0);
        if (sqlite3_create_function_v2(db, f.name, f.args, flags, nullptr, f.f, nullptr, nullptr, nullptr) !=
            SQLITE_OK)
            throw DbError(std::string("Cannot register the engine function ") + f.name);
    }
}

bool isDateType(const std::string& declaredType) {
    std::string t = upper(declaredType);
    return t.rfind("DATETIME", 0) == 0 || t == "DATE" || t == "SMALLDATETIME";
}

ColumnKind columnKind(const std::string& declaredType) {
    const std::string t = upper(declaredType);
    if (isDateType(t))
        return t == "DATE" ? ColumnKind::Date : ColumnKind::DateTime;
    if (t == "BIT")
        return ColumnKind::Bit;
    if (t.find("INT") != std::string::npos)
        return ColumnKind::Integer;
    if (t.rfind("DEC", 0) == 0 || t.rfind("NUMERIC", 0) == 0 || t.find("MONEY") != std::string::npos ||
        t == "FLOAT" || t == "REAL")
        return ColumnKind::Number;
    return ColumnKind::Text;
}

void bindConverted(sqlite3_stmt* stmt, int index, ColumnKind kind, const std::string& value,
                   const std::function<std::string()>& where) {
    if (value.empty()) {
        sqlite3_bind_null(stmt, index);
        return;
    }
    auto bad = [&](const char* type) {
        // The value is not quoted: it comes from a file, which may hold what must not be shown.
        throw DbError("Conversion error for " + where() + ": the value is not a valid " + type + ".");
    };
    switch (kind) {
    case ColumnKind::DateTime:
    case ColumnKind::Date: {
        auto d = parseStyled(value, 0);
        if (!d)
            bad("date");
        std::string s = kind == ColumnKind::Date ? d->isoDate() : d->iso();
        sqlite3_bind_text(stmt, index, s.c_str(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        return;
    }
    case ColumnKind::Bit:
        if (iequals(value, "true") || value == "1")
            sqlite3_bind_int(stmt, index, 1);
        else if (iequals(value, "false") || value == "0")
            sqlite3_bind_int(stmt, index, 0);
        else
            bad("bit");
        return;
    case ColumnKind::Integer: {
        auto i = parseInteger(value);
        if (!i)
            bad("integer");
        sqlite3_bind_int64(stmt, index, *i);
        return;
    }
    case ColumnKind::Number: {
        if (auto i = parseInteger(value)) {
            sqlite3_bind_int64(stmt, index, *i);
            return;
        }
        auto d = parseNumber(value);
        if (!d)
            bad("number");
        sqlite3_bind_double(stmt, index, *d);
        return;
    }
    case ColumnKind::Text:
        break;
    }
    sqlite3_bind_text(stmt, index, value.c_str(), static_cast<int>(value.size()), SQLITE_TRANSIENT);
}

} // namespace quillan::db::embedded
