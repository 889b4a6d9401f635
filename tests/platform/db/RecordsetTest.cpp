#include "platform/db/Recordset.h"
#include "platform/db/Connection.h"

#include <gtest/gtest.h>

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
    for (int i = 0; i < 5; ++i)
        rs.moveNext();
    EXPECT_TRUE(rs.eof());
    rs.moveNext(); // stays at eof
    EXPECT_TRUE(rs.eof());
    EXPECT_THROW(rs.field("File_Names"), DbError);
    rs.moveFirst();
    EXPECT_FALSE(rs.eof());
}

TEST(Recordset, UnknownColumnAndBadIndexAreNamedInTheError) {
    auto rs = files();
    try {
        (void)rs.field("Missing_Col");
        FAIL() << "no exception";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("Missing_Col"), std::string::npos);
    }
    EXPECT_THROW(rs.field(std::size_t{3}), DbError);
    EXPECT_THROW(Recordset({"a", "b"}, {{1}}), DbError); // a row must have one field per column
}

TEST(Recordset, EmptyRecordsetIsAtEof) {
    Recordset none;
    EXPECT_TRUE(none.eof());
    EXPECT_EQ(none.recordCount(), 0u);
    Recordset noRows({"a"}, {});
    EXPECT_TRUE(noRows.eof());
    noRows.filter("a = 1");
    EXPECT_TRUE(noRows.eof());
}

TEST(Recordset, FilterComparesTextWithoutRegardToCase) {
    auto rs = files();
    rs.filter("File_Names='tervik.exe'");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"Tervik.exe", "TERVIK.EXE"}));
    EXPECT_EQ(rs.recordCount(), 2u);
    rs.filter("file_names = 'O''Brien.txt'");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"O'Brien.txt"}));
    rs.filter("FileExtension <> 'exe'");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"Report.RPT", "fix 12.sql"})); // NULL matches nothing
}

TEST(Recordset, FilterJoinsConditionsWithAndOrAndParentheses) {
    auto rs = files();
    rs.filter("FileExtension='EXE' AND HotfixNo=3");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"TERVIK.EXE"}));
    rs.filter("FileExtension='RPT' or HotfixNo > 5");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"Report.RPT", "fix 12.sql"}));
    // AND binds tighter than OR.
    rs.filter("HotfixNo = 12 OR FileExtension = 'EXE' AND HotfixNo = 0");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"Tervik.exe", "fix 12.sql"}));
    rs.filter("(HotfixNo = 12 OR FileExtension = 'EXE') AND HotfixNo = 0");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"Tervik.exe"}));
}

TEST(Recordset, FilterNumbersNullAndLike) {
    auto rs = files();
    rs.filter("HotfixNo = '12'"); // a numeric text compares as a number
    EXPECT_EQ(names(rs), (std::vector<std::string>{"fix 12.sql"}));
    rs.filter("HotfixNo = 12.0");
    EXPECT_EQ(rs.recordCount(), 1u);
    rs.filter("HotfixNo = NULL");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"O'Brien.txt"}));
    rs.filter("HotfixNo <> null");
    EXPECT_EQ(rs.recordCount(), 4u);
    rs.filter("File_Names LIKE '%.EXE'");
    EXPECT_EQ(rs.recordCount(), 2u);
    rs.filter("File_Names like 'fix*'");
    EXPECT_EQ(names(rs), (std::vector<std::string>{"fix 12.sql"}));
    rs.filter("[File_Names] = 'report.rpt'");
    EXPECT_EQ(rs.recordCount(), 1u);
}

TEST(Recordset, EmptyFilterShowsEveryRowAgainAndRewinds) {
    auto rs = files();
    rs.filter("HotfixNo = 3");
    EXPECT_EQ(rs.recordCount(), 1u);
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
    rs.filter("");
    EXPECT_EQ(rs.recordCount(), 5u);
    EXPECT_EQ(rs.field("File_Names").asText(), "Tervik.exe");
    rs.filter("File_Names = 'nothing'");
    EXPECT_TRUE(rs.eof());
}

TEST(Recordset, BadFilterThrowsNamingItAndKeepsThePreviousFilter) {
    auto rs = files();
    rs.filter("HotfixNo = 3");
    for (const char* bad : {"Nope = 1", "File_Names = 'open", "File_Names 'x'", "HotfixNo = 1 AND",
                            "(HotfixNo = 1", "HotfixNo > NULL", "HotfixNo = 1 2"}) {
        try {
            rs.filter(bad);
            ADD_FAILURE() << "accepted: " << bad;
        } catch (const DbError& e) {
            EXPECT_NE(std::string(e.what()).find(bad), std::string::npos) << e.what();
        }
    }
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
