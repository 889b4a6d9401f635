#include "platform/db/ConnectionString.h"

#include "platform/db/OdbcConnectionString.h"
#include "platform/db/RecordFilter.h"

#include <algorithm>
#include <cctype>

namespace quillan::db {

namespace {

bool blank(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

std::string trim(std::string_view s) {
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return std::string(s);
}

// Reads a value starting at i (after the '='); leaves i on the ';' that ends it or at the end.
std::string readValue(std::string_view s, std::size_t& i) {
    while (i < s.size() && blank(s[i]))
        ++i;
    if (i < s.size() && (s[i] == '"' || s[i] == '\'' || s[i] == '{')) {
        const char open = s[i];
        const char close = open == '{' ? '}' : open;
        std::string out;
        for (std::size_t j = i + 1; j < s.size(); ++j) {
            if (s[j] != close) {
                out += s[j];
                continue;
            }
            if (j + 1 < s.size() && s[j + 1] == close) {
                out += close;
                ++j;
                continue;
            }
            // Closing quote: only blanks may follow before the ';'.
            std::size_t k = j + 1;
            while (k < s.size() && blank(s[k]))
                ++k;
            if (k == s.size() || s[k] == ';') {
                i = k;
                return out;
            }
            break; // not a quoted value after all: read it plainly
        }
    }
    const auto end = std::min(s.find(';', i), s.size());
    std::string out = trim(s.substr(i, end - i));
    i = end;
    return out;
}

} // namespace

ConnectionString ConnectionString::parse(std::string_view text) {
    ConnectionString cs;
    std::size_t i = 0;
    while (i < text.size()) {
        const auto eq = text.find('=', i);
        const auto semi = text.find(';', i);
        if (eq == std::string_view::npos || (semi != std::string_view::npos && semi < eq)) {
            // An element without '=' carries nothing: skip it.
            if (semi == std::string_view::npos)
                break;
            i = semi + 1;
            continue;
        }
        std::string key = trim(text.substr(i, eq - i));
        i = eq + 1;
        std::string value = readValue(text, i);
        if (i < text.size())
            ++i; // the ';'
        if (!key.empty())
            cs.entries_.push_back({std::move(key), std::move(value)});
    }
    return cs;
}

std::optional<std::string> ConnectionString::get(std::string_view key) const {
    for (const auto& e : entries_)
        if (equalsNoCase(e.key, key))
            return e.value;
    return std::nullopt;
}

void ConnectionString::set(std::string_view key, std::string value) {
    auto first = std::find_if(entries_.begin(), entries_.end(),
                              [&](const Entry& e) { return equalsNoCase(e.key, key); });
    if (first == entries_.end()) {
        entries_.push_back({std::string(key), std::move(value)});
        return;
    }
    first->value = std::move(value);
    entries_.erase(std::remove_if(std::next(first), entries_.end(),
                                  [&](const Entry& e) { return equalsNoCase(e.key, key); }),
                   entries_.end());
}

void ConnectionString::erase(std::string_view key) {
    entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                  [&](const Entry& e) { return equalsNoCase(e.key, key); }),
                   entries_.end());
}

std::string ConnectionString::toString() const {
    std::string out;
    for (const auto& e : entries_)
        out += odbcPair(e.key, e.value);
    return out;
}

} // namespace quillan::db
