#pragma once
// The "View Details" links of the event grid: the operator clicks a phase's link after the run
// and gets the files that phase worked on, fresh from SetupDetails.
#include "base/Console.h"
#include "platform/db/Recordset.h"

#include <optional>
#include <string>
#include <vector>

namespace quillan {

constexpr int kDetailLinkColumn = 6; // the grid's "View Details" column

// What the detail view shows: the recordset's column names as headers and its rows as texts.
struct DetailTable {
    std::vector<std::string> headers;
    std::vector<std::vector<std::string>> rows;
};

// The statement behind a link text (compared in upper case), or nothing for a text that is no
// link. The texts are the links the phases write: "Show Exes", "Show Hotfix", "Show RPTs&RTMs",
// "Show Register Files", "Show Other File".
std::optional<std::string> detailStatement(const std::string& dbPrefix, const std::string& linkText);

// ShowDetail(rs): the table the detail view is bound to; nothing for a recordset at EOF. Dates
// show in the screen form "DD/MM/YYYY HH:MM:SS". Errors: description + " In ShowDetail".
std::optional<DetailTable> ShowDetail(Console& c, db::Recordset& rs);

// fpdata_Click(Col, Row): the detail rows to show modally, or nothing when the click opens no
// view (run not finished, another column, an empty or unknown cell, a query without rows).
// Row numbers are the grid's (1 = first event row). Errors: description + " In fpdata_Click".
std::optional<DetailTable> fpdata_Click(Console& c, int col, int row);

} // namespace quillan
