#pragma once
// A connection string as a list of "key=value" pairs separated by ';'. Keys are matched without
// regard to case and keep their spelling; values keep their case. A value may be quoted with '"'
// or '\'' (the quote doubled inside) so that it can hold ';'. ODBC strings also brace values
// ("{...}", '}' doubled inside); both quotings are read.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db {

class ConnectionString {
public:
    struct Entry {
        std::string key;
        std::string value;
    };

    static ConnectionString parse(std::string_view text);

    // The first entry with the key, as the settings reader of the console takes the first.
    std::optional<std::string> get(std::string_view key) const;
    bool has(std::string_view key) const { return get(key).has_value(); }
    // Replaces the value of the first entry with the key, or appends one; removes later duplicates.
    void set(std::string_view key, std::string value);
    void erase(std::string_view key);

    const std::vector<Entry>& entries() const { return entries_; }
    // "key=value;" for every entry, values braced where parse() needs it to read them back.
    std::string toString() const;

private:
    std::vector<Entry> entries_;
};

} // namespace quillan::db
