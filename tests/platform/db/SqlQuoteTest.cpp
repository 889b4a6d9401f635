#include "OdbcTestSupport.h"

#include "platform/db/Connection.h"

#include <gtest/gtest.h>

using namespace quillan;
using db::DbError;

TEST(SqlQuote, ValuesDoubleSingleQuotesOnlyAndNamesDoubleClosingBrackets) {
    EXPECT_EQ(db::sqlQuote(""), "''");
    EXPECT_EQ(db::sqlQuote("plain"), "'plain'");
    EXPECT_EQ(db::sqlQuote("O'Brien"), "'O''Brien'");
    EXPECT_EQ(db::sqlQuote("''"), "''''''");
    EXPECT_EQ(db::sqlQuote("'a'"), "'''a'''"); // apostrophes at both ends
    EXPECT_EQ(db::sqlEscape("it's \"x\" [y] ; --"), "it''s \"x\" [y] ; --");
    EXPECT_EQ(db::sqlEscape("C:\\Tervik\\Bin"), "C:\\Tervik\\Bin");
    // Names are bracketed with closing brackets doubled.
    EXPECT_EQ(db::sqlQuoteName("TervikDB"), "[TervikDB]");
    EXPECT_EQ(db::sqlQuoteName("a]b"), "[a]]b]");
    EXPECT_EQ(db::sqlQuoteName("x]; DROP DATABASE y; --"), "[x]]; DROP DATABASE y; --]");
}

TEST(SqlQuote, RefusesNulBytes) {
    using namespace std::string_literals;
    EXPECT_THROW(db::sqlQuote("a\0b"s), DbError);
    EXPECT_THROW(db::sqlEscape("\0"s), DbError);
    EXPECT_THROW(db::sqlQuoteName("x\0"s), DbError);
}

// Hostile values go into a real table and come back byte for byte; nothing they contain runs.
TEST(SqlQuote, HostileValuesRoundTripThroughARealInsertAndSelect) {
    db::test::SqliteOdbc db;
    db.conn->execute("CREATE TABLE files (name VARCHAR(200))");
    db.conn->execute("CREATE TABLE victim (x INT)");
    const std::vector<std::string> values = {
        "O'Brien.txt", "'", "''", "x'); DROP TABLE victim; --", "a' OR '1'='1", "semi;colon", "trailing'"};
    for (const auto& v : values)
        db.conn->execute("INSERT INTO files (name) VALUES (" + db::sqlQuote(v) + ")");
    for (const auto& v : values) {
        auto rs = db.conn->query("SELECT name FROM files WHERE name = '" + db::sqlEscape(v) + "'");
        ASSERT_EQ(rs.recordCount(), 1u) << v;
        EXPECT_EQ(rs.field("name").asText(), v);
    }
    // The injection attempt matched only itself and the other table is still there.
    EXPECT_EQ(db.conn->query("SELECT count(*) AS n FROM files WHERE name = " + db::sqlQuote("a' OR '1'='1"))
                  .field("n")
                  .asInt(),
              1);
    EXPECT_NO_THROW(db.conn->query("SELECT * FROM victim"));
}
