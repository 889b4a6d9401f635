#pragma once
// The condition language of Recordset::filter: comparisons of a column with a literal
// (=, <>, <, >, <=, >=, LIKE with % or * as wildcards), joined by AND / OR, with parentheses.
// Text is compared without regard to case; "column = NULL" / "column <> NULL" test for NULL.
#include "platform/db/Value.h"

#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quillan::db {

class RecordFilter {
public:
    struct Node;
    // Throws DbError naming the condition when it cannot be parsed or names an unknown column.
    static RecordFilter parse(std::string_view condition, const std::vector<std::string>& columns);
    bool matches(const std::vector<Value>& row) const;

    RecordFilter(RecordFilter&&) noexcept;
    RecordFilter& operator=(RecordFilter&&) noexcept;
    ~RecordFilter();

private:
    explicit RecordFilter(std::unique_ptr<Node> root);
    std::unique_ptr<Node> root_;
};

// ASCII case folding shared by column lookup and text comparison.
bool equalsNoCase(std::string_view a, std::string_view b);
int compareNoCase(std::string_view a, std::string_view b);

} // namespace quillan::db
