// The ODBC plumbing against a real driver (SQLite's): connecting, typed result sets, NULLs,
// dates, long text, diagnostics and batches.
#include "OdbcTestSupport.h"

#include "platform/db/Connection.h"

#include <chrono>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace quillan;
using db::DbError;

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

TEST(Odbc, CreatesInsertsAndSelectsTypedValuesAndNullIsNotTheEmptyText) {
    db::test::SqliteOdbc db;
    db.conn->execute("CREATE TABLE SetupDetails (File_Names VARCHAR(100), HotfixNo INTEGER, "
                     "UploadFileSize BIGINT, Ratio DOUBLE, File_CrDate DATETIME)");
    db.conn->execute(
        "INSERT INTO SetupDetails VALUES ('Tervik.exe', 0, 5000000000, 0.25, '2024-03-01 10:20:30')");
    db.conn->execute("INSERT INTO SetupDetails VALUES ('', 12, NULL, NULL, NULL)");
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
    EXPECT_FALSE(rs.field("File_Names").isNull());
    EXPECT_EQ(rs.field("File_Names").asText(), "");
    for (const char* c : {"UploadFileSize", "Ratio", "File_CrDate"})
        EXPECT_TRUE(rs.field(c).isNull()) << c;
    rs.moveNext();
    EXPECT_TRUE(rs.eof());
}

TEST(Odbc, LongAndUtf8TextComesBackWhole) {
    db::test::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (Captions TEXT)");
    std::string longText;
    for (int i = 0; longText.size() < 100000; ++i)
        longText += "line " + std::to_string(i) + " it's long\n";
    db.conn->execute("INSERT INTO t VALUES (" + db::sqlQuote(longText) + ")");
    EXPECT_EQ(db.conn->query("SELECT Captions FROM t").field("Captions").asText(), longText);
    const std::string utf8 = "Größe – ünïcödé";
    db.conn->execute("INSERT INTO t VALUES (" + db::sqlQuote(utf8) + ")");
    EXPECT_EQ(db.conn->query("SELECT Captions FROM t WHERE Captions LIKE 'Gr%'").field("Captions").asText(),
              utf8);
}

TEST(Odbc, ErrorsCarryTheDriversTextAndStatementsWithoutRowsQueryAsEmpty) {
    db::test::SqliteOdbc db;
    EXPECT_THAT([&] { db.conn->query("SELECT * FROM NoSuchTable"); },
                ThrowsMessage<DbError>(HasSubstr("no such table: NoSuchTable")));
    EXPECT_THROW(db.conn->execute("CREATE TABLE ("), DbError);
    // The connection is still usable after a failed statement.
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
    db::test::SqliteOdbc db;
    db.conn->execute("CREATE TABLE t (x INT); INSERT INTO t VALUES (1); INSERT INTO t VALUES (2)");
    EXPECT_EQ(db.conn->query("SELECT count(*) AS n FROM t").field("n").asInt(), 2);
    EXPECT_THAT(
        [&] {
            db.conn->execute(
                "CREATE TABLE u (x INT); INSERT INTO u VALUES (3); INSERT INTO Missing VALUES (4)");
        },
        ThrowsMessage<DbError>(HasSubstr("no such table: Missing")));
    // A batch the driver cannot run is refused with the driver's words, not half run in silence.
    EXPECT_THAT([&] { db.conn->execute("INSERT INTO t VALUES (3); INSERT INTO t VALUES (4)"); },
                ThrowsMessage<DbError>(HasSubstr("only one SQL statement")));
    EXPECT_EQ(db.conn->query("SELECT count(*) AS n FROM t").field("n").asInt(), 2);
}

// A statement that never ends is cancelled at the limit (by the driver's query time-out or the
// watchdog's SQLCancel, whichever comes first) and the connection takes the next statement.
TEST(Odbc, AnEndlessStatementIsCancelledAtItsTimeLimitAndTheConnectionGoesOn) {
    db::test::SqliteOdbc db;
    db.conn->setTimeLimit(std::chrono::milliseconds(300));
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(db.conn->query("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                                "SELECT COUNT(*) FROM c"),
                 db::TimeoutError);
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(db.conn->query("SELECT 7 AS n").field("n").asInt(), 7);
}

TEST(Odbc, ConnectFailuresRaiseAndOpenConnectionPassesOdbcStringsThrough) {
    test::TempDir dir;
    // NoCreat=1: the driver refuses to create a missing file, so the login itself fails.
    EXPECT_THROW(db::odbc::OdbcConnection(
                     "Driver=SQLite3;Database=" + (dir / "absent.db").string() + ";NoCreat=1;", 5),
                 DbError);
    EXPECT_THROW(db::odbc::OdbcConnection("Driver={No Such Driver 99};Server=x;", 5), DbError);
    const auto conn =
        db::openConnection("  Driver=SQLite3;Database=" + (dir / "direct.db").string() + ";", dir.path());
    conn->execute("CREATE TABLE t (x INT)");
    EXPECT_TRUE(std::filesystem::exists(dir / "direct.db"));
    EXPECT_NE(conn->backendName().find("ODBC"), std::string::npos);
}
