#include "platform/db/Connection.h"

namespace quillan::db {

std::string sqlEscape(std::string_view text) {
    // A NUL would end the statement text early in every driver: refuse it rather than send a
    // silently truncated statement.
    if (text.find('\0') != std::string_view::npos)
        throw DbError("A text value for a statement contains a NUL character");
    // Copied in runs between apostrophes: a deploy script's document can be megabytes.
    std::string out;
    out.reserve(text.size() + 8);
    for (std::size_t start = 0;;) {
        const auto quote = text.find('\'', start);
        if (quote == std::string_view::npos) {
            out.append(text.substr(start));
            return out;
        }
        out.append(text.substr(start, quote + 1 - start));
        out += '\'';
        start = quote + 1;
    }
}

std::string sqlQuote(std::string_view text) {
    return "'" + sqlEscape(text) + "'";
}

std::string sqlQuoteName(std::string_view name) {
    if (name.find('\0') != std::string_view::npos)
        throw DbError("A name for a statement contains a NUL character");
    std::string out = "[";
    for (char c : name) {
        out += c;
        if (c == ']')
            out += ']';
    }
    return out + "]";
}

} // namespace quillan::db
