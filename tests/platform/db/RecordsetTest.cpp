#include "platform/db/Recordset.h"
#include "platform/db/Connection.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using quillan::db::DbError;
using quillan::db::Recordset;
using quillan::db::Value;

namespace {

Recordset files() {
    return Recordset({"File_Names", "HotfixNo", "FileExtension"}, {{"Tervik.exe", 0, "EXE"},
                                                                   {"Report.RPT", 0, "RPT"},
                                                                   {"fix 12.sql", 12, "sql"},
                                                                   {"O'Brien.txt", Value(), Value()},
                                                                   {"TERVIK.EXE", 3, "EXE"}});
}

std::vector<std::string> names(Recordset rs) {
    std::vector<std::string> out;
    for (rs.moveFirst(); !rs.eof(); rs.moveNext())
        out.push_back(rs.field("file_names").asText());
    return out;
}

} // namespace

TEST(Recordset, WalksRowsAndReadsColumnsWithoutRegardToCase) {
    auto rs = files();
    EXPECT_EQ(rs.recordCount(), 5u);
    EXPECT_EQ(rs.field("FILE_NAMES").asText(), "Tervik.exe");
    EXPECT_EQ(rs.field("hotfixno").asInt(), 0);
    EXPECT_TRUE(rs.hasColumn("fileextension"));
    EXPECT_FALSE(rs.hasColumn("File"));
    EXPECT_EQ(rs.field(std::size_t{2}).asText(), "EXE");
    for (int i = 0; i < 6; ++i)
        rs.moveNext(); // the last step stays at eof
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.field("File_Names"), DbError);
    rs.moveFirst();
    EXPECT_FALSE(rs.eof());
    EXPECT_TRUE(Recordset().eof());
    Recordset noRows({"a"}, {});
    noRows.filter("a = 1");
    EXPECT_TRUE(noRows.eof());
}

TEST(Recordset, UnknownColumnAndBadIndexAreNamedInTheError) {
    auto rs = files();
    EXPECT_THAT([&] { (void)rs.field("Missing_Col"); }, ThrowsMessage<DbError>(HasSubstr("Missing_Col")));
    EXPECT_THROW(rs.field(std::size_t{3}), DbError);
    EXPECT_THROW(Recordset({"a", "b"}, {{1}}), DbError); // a row must have one field per column
}

// Each filter replaces the one before and rewinds to its first row.
TEST(Recordset, FilterSelectsTheMatchingRowsAndRewinds) {
    using V = std::vector<std::string>;
    const std::pair<const char*, V> cases[] = {
        {"File_Names='tervik.exe'", {"Tervik.exe", "TERVIK.EXE"}}, // text ignores case
        {"file_names = 'O''Brien.txt'", {"O'Brien.txt"}},
        {"FileExtension <> 'exe'", {"Report.RPT", "fix 12.sql"}}, // NULL matches nothing
        {"FileExtension='EXE' AND HotfixNo=3", {"TERVIK.EXE"}},
        {"FileExtension='RPT' or HotfixNo > 5", {"Report.RPT", "fix 12.sql"}},
        // AND binds tighter than OR.
        {"HotfixNo = 12 OR FileExtension = 'EXE' AND HotfixNo = 0", {"Tervik.exe", "fix 12.sql"}},
        {"(HotfixNo = 12 OR FileExtension = 'EXE') AND HotfixNo = 0", {"Tervik.exe"}},
        {"HotfixNo = '12'", {"fix 12.sql"}}, // a numeric text compares as a number
        {"HotfixNo = 12.0", {"fix 12.sql"}},
        {"HotfixNo = NULL", {"O'Brien.txt"}},
        {"HotfixNo <> null", {"Tervik.exe", "Report.RPT", "fix 12.sql", "TERVIK.EXE"}},
        {"File_Names LIKE '%.EXE'", {"Tervik.exe", "TERVIK.EXE"}},
        {"File_Names like 'fix*'", {"fix 12.sql"}},
        {"[File_Names] = 'report.rpt'", {"Report.RPT"}},
        {"File_Names = 'nothing'", {}},
        {"", {"Tervik.exe", "Report.RPT", "fix 12.sql", "O'Brien.txt", "TERVIK.EXE"}}, // every row again
    };
    auto rs = files();
    for (const auto& [filter, expected] : cases) {
        SCOPED_TRACE(filter);
        rs.filter(filter);
        EXPECT_EQ(names(rs), expected);
        EXPECT_EQ(rs.recordCount(), expected.size());
        if (!expected.empty()) {
            EXPECT_EQ(rs.field("File_Names").asText(), expected.front());
        }
        rs.moveNext();
    }
}

TEST(Recordset, BadFilterThrowsNamingItAndKeepsThePreviousFilter) {
    auto rs = files();
    rs.filter("HotfixNo = 3");
    for (const char* bad : {"Nope = 1", "File_Names = 'open", "File_Names 'x'", "HotfixNo = 1 AND",
                            "(HotfixNo = 1", "HotfixNo > NULL", "HotfixNo = 1 2"})
        EXPECT_THAT([&] { rs.filter(bad); }, ThrowsMessage<DbError>(HasSubstr(bad)));
    EXPECT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("File_Names").asText(), "TERVIK.EXE");
}

TEST(Recordset, FilterOnDatesComparesAsDates) {
    Recordset rs({"d"},
                 {{quillan::DateTime{2024, 5, 1, 0, 0, 0}}, {quillan::DateTime{2024, 6, 1, 12, 0, 0}}});
    rs.filter("d >= '2024-05-15'");
    ASSERT_EQ(rs.recordCount(), 1u);
    EXPECT_EQ(rs.field("d").asText(), "2024-06-01 12:00:00");
    rs.filter("d = '2024-05-01 00:00:00'");
    EXPECT_EQ(rs.recordCount(), 1u);
}
