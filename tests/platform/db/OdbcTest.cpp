// The ODBC plumbing against a real driver (SQLite's): connecting, typed result sets, NULLs,
// dates, long text, diagnostics and batches.
#include "OdbcTestSupport.h"

#include "platform/db/Connection.h"

#include <gtest/gtest.h>

using namespace quillan;
using db::DbError;

TEST(Odbc, CreatesInsertsAndSelectsTypedValues) {
    dbtest::SqliteOdbc db;
    db.conn->execute("CREATE TABLE SetupDetails (File_Names VARCHAR(100), HotfixNo INTEGER, "
                     "UploadFileSize BIGINT, Ratio DOUBLE, File_CrDate DATETIME)");
    db.conn->execute(
        "INSERT INTO SetupDetails VALUES ('Tervik.exe', 0, 5000000000, 0.25, '2024-03-01 10:20:30')");
    db.conn->execute("INSERT INTO SetupDetails VALUES ('fix.sql', 12, NULL, NULL, NULL)");
    auto rs = db.conn->query("SELECT * FROM SetupDetails ORDER BY HotfixNo");
    ASSERT_EQ(rs.columns(),
              (std::vector<std::string>{"File_Names", "HotfixNo", "UploadFileSize", "Ratio", "File_CrDate"}));
    ASSERT_EQ(rs.recordCount(), 2u);
    EXPECT_EQ(rs.field("file_names").raw(), db::Value("Tervik.exe").raw());
    EXPECT_EQ(rs.field("HotfixNo").raw(), db::Value(0).raw());
    EXPECT_EQ(rs.field("UploadFileSize").asInt(), 5000000000);
    EXPECT_EQ(rs.field("Ratio").raw(), db::Value(0.25).raw());
    EXPECT_EQ(rs.field("File_CrDate").raw(), db::Value(DateTime{2024, 3, 1, 10, 20, 30}).raw());
    rs.moveNext();
    EXPECT_EQ(rs.field("HotfixNo").asInt(), 12);
    EXPECT_TRUE(rs.field("UploadFileSize").isNull());
    EXPECT_TRUE(rs.field("Ratio").isNull());
    EXPECT_TRUE(rs.field("File_CrDate").isNull());
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST(Odbc, NullIsNotTheEmptyText) {
    dbtest::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (v VARCHAR(10))");
    db.conn->execute("INSERT INTO t VALUES ('')");
    db.conn->execute("INSERT INTO t VALUES (NULL)");
    auto rs = db.conn->query("SELECT v FROM t ORDER BY rowid");
    EXPECT_FALSE(rs.field("v").isNull());
    EXPECT_EQ(rs.field("v").asText(), "");
    rs.moveNext();
    EXPECT_TRUE(rs.field("v").isNull());
}

TEST(Odbc, LongTextComesBackWhole) {
    dbtest::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (Captions TEXT)");
    std::string longText;
    for (int i = 0; longText.size() < 100000; ++i)
        longText += "line " + std::to_string(i) + " it's long\n";
    db.conn->execute("INSERT INTO t VALUES (" + db::sqlQuote(longText) + ")");
    auto rs = db.conn->query("SELECT Captions FROM t");
    EXPECT_EQ(rs.field("Captions").asText(), longText);
    const std::string utf8 = "Größe – ünïcödé";
    db.conn->execute("INSERT INTO t VALUES (" + db::sqlQuote(utf8) + ")");
    EXPECT_EQ(db.conn->query("SELECT Captions FROM t WHERE Captions LIKE 'Gr%'").field("Captions").asText(),
              utf8);
}

TEST(Odbc, ErrorsCarryTheDriversText) {
    dbtest::SqliteOdbc db;
    try {
        db.conn->query("SELECT * FROM NoSuchTable");
        FAIL() << "no exception";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: NoSuchTable"), std::string::npos) << e.what();
    }
    EXPECT_THROW(db.conn->execute("CREATE TABLE ("), DbError);
    // The connection is still usable after a failed statement.
    EXPECT_EQ(db.conn->query("SELECT 1 AS one").field("one").asInt(), 1);
}

TEST(Odbc, StatementWithoutResultSetQueriesAsEmpty) {
    dbtest::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (x INT)");
    auto rs = db.conn->query("UPDATE t SET x = 1 WHERE x = 2");
    EXPECT_TRUE(rs.eof());
    EXPECT_TRUE(rs.columns().empty());
    EXPECT_NO_THROW(db.conn->execute("DELETE FROM t WHERE x = 5")); // touches no row: not a failure
}

// SQLite's driver runs a batch only when it starts with a definition statement (it then hands the
// whole text to SQLite at once); SQL Server runs any batch. Either way a failure of a later
// statement must reach the caller.
TEST(Odbc, BatchRunsEveryStatementAndAFailingLaterStatementRaises) {
    dbtest::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (x INT); INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)");
    EXPECT_EQ(db.conn->query("SELECT count(*) AS n FROM t").field("n").asInt(), 2);
    try {
        db.conn->execute("CREATE TABLE u (x INT); INSERT INTO u VALUES (3); INSERT INTO Missing VALUES (4)");
        FAIL() << "a failing third statement was reported as success";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("no such table: Missing"), std::string::npos) << e.what();
    }
    // A batch the driver cannot run is refused with the driver's words, not half run in silence.
    try {
        db.conn->execute("INSERT INTO t VALUES (3); INSERT INTO t VALUES (4)");
        FAIL() << "no exception";
    } catch (const DbError& e) {
        EXPECT_NE(std::string(e.what()).find("only one SQL statement"), std::string::npos) << e.what();
    }
    EXPECT_EQ(db.conn->query("SELECT count(*) AS n FROM t").field("n").asInt(), 2);
}

TEST(Odbc, ConnectFailuresRaiseDbError) {
    dbtest::ScratchDir dir;
    // NoCreat=1: the driver refuses to create a missing file, so the login itself fails.
    try {
        db::odbc::OdbcConnection c("Driver=SQLite3;Database=" + (dir / "absent.db").string() + ";NoCreat=1;",
                                   5);
        FAIL() << "connected to a missing database";
    } catch (const DbError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
    EXPECT_THROW(db::odbc::OdbcConnection("Driver={No Such Driver 99};Server=x;", 5), DbError);
}

TEST(Odbc, OpenConnectionPassesOdbcStringsThrough) {
    dbtest::ScratchDir dir;
    const auto file = dir / "direct.db";
    const auto conn = db::openConnection("  Driver=SQLite3;Database=" + file.string() + ";", dir.path());
    conn->execute("CREATE TABLE t (x INT)");
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_NE(conn->backendName().find("ODBC"), std::string::npos);
}
