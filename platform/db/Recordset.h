#pragma once
// Rows fetched whole and then held on the client, disconnected from the server; walked with
// moveNext until eof, fields read by column name without regard to case.
#include "platform/db/Value.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db {

class Recordset {
public:
    Recordset() = default;
    Recordset(std::vector<std::string> columns, std::vector<std::vector<Value>> rows);

    const std::vector<std::string>& columns() const { return columns_; }
    std::size_t recordCount() const; // rows visible under the current filter

    bool eof() const;
    void moveFirst();
    void moveNext();

    // Field of the current row by column name (case-insensitive); throws DbError at eof or for an
    // unknown column, naming it.
    const Value& field(std::string_view column) const;
    const Value& field(std::size_t index) const;
    bool hasColumn(std::string_view column) const;

    // Restricts the visible rows to those matching a condition such as "File_Names='x'"
    // (column = 'text' or column = number, joined by AND / OR; text compared without regard to
    // case). An empty condition removes the filter. Positions on the first visible row.
    void filter(std::string_view condition);

    const std::vector<std::vector<Value>>& allRows() const { return rows_; }

private:
    std::vector<std::string> columns_;
    std::vector<std::vector<Value>> rows_;
    std::vector<std::size_t> visible_; // indices into rows_
    std::size_t pos_ = 0;
};

} // namespace quillan::db
