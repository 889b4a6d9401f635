#include "console/DetailLinks.h"

#include "platform/Text.h"

#include <array>
#include <exception>

namespace quillan {

namespace {

struct Link {
    const char* upper; // the link text as compared
    const char* select;
    const char* tail;
};

constexpr const char* kSelect = "Select File_Names as [File Name],File_Crdate AS [File Date] from ";
// The last link's statement was always spelled this way; SQL Server does not mind the case.
constexpr const char* kSelectOther = "Select file_Names as [File Name],File_Crdate AS [File Date] from ";

constexpr std::array<Link, 5> kLinks = {{
    {"SHOW EXES", kSelect,
     ".dbo.SetupDetails (nolock) where HotfixNo =0 and file_names like '%.exe' order by VersionNo"},
    {"SHOW HOTFIX", kSelect, ".dbo.SetupDetails (nolock) where HotfixNo >0 order by VersionNo,hotfixno"},
    {"SHOW RPTS&RTMS", kSelect,
     ".dbo.SetupDetails (nolock) where HotfixNo =0 and (file_names like '%.rtm' or file_names like '%.rpt') "
     "order by VersionNo"},
    {"SHOW REGISTER FILES", kSelect,
     ".dbo.SetupDetails (nolock) where HotfixNo =0 and RegRequired=1 order by VersionNo "},
    {"SHOW OTHER FILE", kSelectOther,
     ".dbo.SetupDetails (nolock) where HotfixNo =0 and file_names not like '%.exe' and file_names not like "
     "'%.rpt' and file_names not like '%.rtm' and FileExtension not like 'ZIP' and FileExtension not like "
     "'TPL'  and RegRequired=0 order by VersionNo"},
}};

std::string cellText(const db::Value& v) {
    if (v.isNull())
        return {};
    if (const auto* d = std::get_if<DateTime>(&v.raw()))
        return d->display();
    return v.asText();
}

} // namespace

std::optional<std::string> detailStatement(const std::string& dbPrefix, const std::string& linkText) {
    // The cell text is compared as it stands, upper-cased: a link never carries blanks around it.
    const std::string key = upperCase(linkText);
    for (const auto& link : kLinks)
        if (key == link.upper)
            return std::string(link.select) + dbPrefix + link.tail;
    return std::nullopt;
}

std::optional<DetailTable> ShowDetail(Console& c, db::Recordset& rs) {
    try {
        if (rs.eof())
            return std::nullopt;
        DetailTable table;
        table.headers = rs.columns();
        table.rows.reserve(rs.recordCount());
        for (rs.moveFirst(); !rs.eof(); rs.moveNext()) {
            std::vector<std::string> row;
            for (std::size_t i = 0; i < table.headers.size(); ++i)
                row.push_back(cellText(rs.field(i)));
            table.rows.push_back(std::move(row));
        }
        return table;
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In ShowDetail");
        return std::nullopt;
    }
}

std::optional<DetailTable> fpdata_Click(Console& c, int col, int row) {
    try {
        if (!c.state.run.closed() || col != kDetailLinkColumn)
            return std::nullopt;
        const auto& grid = c.model.grid();
        const auto cell = grid.find(row);
        if (cell == grid.end() || trimmed(cell->second.link).empty())
            return std::nullopt;
        const auto sql = detailStatement(c.state.dbPrefix, cell->second.link);
        if (!sql)
            return std::nullopt;
        if (!c.conn) // released by Form_Unload or never opened: there is nothing to ask
            return std::nullopt;
        db::Recordset rs = c.conn->query(*sql); // a recordset of its own, not the shared one
        if (rs.eof())
            return std::nullopt;
        return ShowDetail(c, rs);
    } catch (const std::exception& e) {
        c.op.inform(std::string(e.what()) + " In fpdata_Click");
        return std::nullopt;
    }
}

} // namespace quillan
