#include "platform/db/Recordset.h"

#include "platform/db/Connection.h"
#include "platform/db/RecordFilter.h"

#include <numeric>

namespace quillan::db {

Recordset::Recordset(std::vector<std::string> columns, std::vector<std::vector<Value>> rows)
    : columns_(std::move(columns)), rows_(std::move(rows)), visible_(rows_.size()) {
    for (const auto& row : rows_)
        if (row.size() != columns_.size())
            throw DbError("Recordset row has " + std::to_string(row.size()) + " fields for " +
                          std::to_string(columns_.size()) + " columns");
    std::iota(visible_.begin(), visible_.end(), std::size_t{0});
}

std::size_t Recordset::recordCount() const {
    return visible_.size();
}

bool Recordset::eof() const {
    return pos_ >= visible_.size();
}

void Recordset::moveFirst() {
    pos_ = 0;
}

void Recordset::moveNext() {
    if (!eof())
        ++pos_;
}

bool Recordset::hasColumn(std::string_view column) const {
    for (const auto& c : columns_)
        if (equalsNoCase(c, column))
            return true;
    return false;
}

const Value& Recordset::field(std::string_view column) const {
    for (std::size_t i = 0; i < columns_.size(); ++i)
        if (equalsNoCase(columns_[i], column)) {
            if (eof())
                throw DbError("No current record: field '" + std::string(column) +
                              "' read at end of recordset");
            return rows_[visible_[pos_]][i];
        }
    throw DbError("Item '" + std::string(column) + "' cannot be found in the recordset");
}

const Value& Recordset::field(std::size_t index) const {
    if (index >= columns_.size())
        throw DbError("Field index " + std::to_string(index) + " is out of range (" +
                      std::to_string(columns_.size()) + " columns)");
    if (eof())
        throw DbError("No current record: field " + std::to_string(index) + " read at end of recordset");
    return rows_[visible_[pos_]][index];
}

void Recordset::filter(std::string_view condition) {
    std::vector<std::size_t> visible;
    if (condition.find_first_not_of(" \t\r\n") == std::string_view::npos) {
        visible.resize(rows_.size());
        std::iota(visible.begin(), visible.end(), std::size_t{0});
    } else {
        // A bad condition throws here and leaves the current filter as it was.
        const auto f = RecordFilter::parse(condition, columns_);
        for (std::size_t i = 0; i < rows_.size(); ++i)
            if (f.matches(rows_[i]))
                visible.push_back(i);
    }
    visible_ = std::move(visible);
    pos_ = 0;
}

} // namespace quillan::db
