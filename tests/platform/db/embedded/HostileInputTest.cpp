// Statements the engine must refuse clearly, or run, instead of crashing, hanging or guessing: names
// that do not exist, statements cut short, deep nesting, long concatenations, numbers too large and
// the invisible blanks editors leave in scripts.
#include "EngineFixture.h"

#include "platform/db/embedded/Session.h"

#include <chrono>

namespace quillan::db::test {

namespace {

class HostileInput : public EngineTest {
protected:
    // The failure text of a statement, which must come as DbError at once. The bound is generous
    // (a loaded machine under the sanitizers takes a good part of a second): what it catches is
    // work that grows with the square of the input, which takes minutes here.
    std::string quickFailure(const std::string& sql) {
        const auto start = std::chrono::steady_clock::now();
        std::string what = failure(sql);
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(10)) << sql.substr(0, 40);
        return what;
    }
    std::string repeat(const std::string& s, int n) {
        std::string out;
        for (int i = 0; i < n; ++i)
            out += s;
        return out;
    }
};

TEST_F(HostileInput, UnknownNamesFailNamingTheColumnInStatementsAndDefinitions) {
    addFile("a.exe", 1);
    const std::pair<const char*, const char*> cases[] = {
        {"SELECT NoSuchColumn FROM [Tervik].dbo.SetupDetails", "Invalid column name 'NoSuchColumn'"},
        {"SELECT \"NoSuchColumn\" FROM [Tervik].dbo.SetupDetails", "Invalid column name 'NoSuchColumn'"},
        {"UPDATE [Tervik].dbo.SetupDetails SET Status = 2 WHERE [Nope] = 1", "Invalid column name 'Nope'"},
        {"CREATE INDEX ix ON [Tervik].dbo.SetupDetails ([NoSuchColumn])", "NoSuchColumn"},
    };
    for (const auto& [sql, named] : cases)
        EXPECT_NE(failure(sql).find(named), std::string::npos) << sql;
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE Status = 2"), 0);
}

TEST_F(HostileInput, StatementsCutShortAreSyntaxErrors) {
    const char* cases[] = {
        "CREATE INDEX i ON",
        "CREATE TABLE",
        "CREATE VIEW",
        "CREATE INDEX",
        "CREATE UNIQUE INDEX",
        "CREATE TABLE T (",
        "CREATE VIEW V AS",
        "ALTER TABLE",
        "INSERT INTO",
        "BULK INSERT",
        "DELETE x FROM",
        "CREATE INDEX i ON T",
        "INSERT INTO T (",
        "EXEC",
        "SELECT CASE WHEN 1=1",
        "SELECT LEN(",
        "IF",
        "IF 1=1",
        "BEGIN",
        "SELECT 1 + ",
        "CREATE TABLE T (A",
        "ALTER TABLE T ADD",
        "UPDATE",
        "TRUNCATE",
        "KILL",
    };
    for (const char* sql : cases) {
        std::string what = quickFailure(sql);
        EXPECT_NE(what, "<no error>") << sql;
        EXPECT_EQ(what.find("bad_alloc"), std::string::npos) << sql;
    }
    EXPECT_NE(failure("CREATE INDEX i ON").find("Incorrect syntax near 'end of batch'"), std::string::npos);
    EXPECT_NE(failure("CREATE TABLE").find("Incorrect syntax"), std::string::npos);
    EXPECT_NE(failure("CREATE VIEW").find("Incorrect syntax"), std::string::npos);
}

TEST_F(HostileInput, DeepNestingFailsFastAndShallowNestingRuns) {
    const std::string tooDeep[] = {
        repeat("BEGIN ", 5000) + "SELECT 1 " + repeat("END ", 5000),
        repeat("IF 1=1 ", 7000) + "SELECT 1",
        "SELECT " + repeat("LEN(", 10000) + "'a'" + repeat(")", 10000),
        "SELECT " + repeat("(", 100000) + "1" + repeat(")", 100000),
        "SELECT " + repeat("CASE WHEN 1=1 THEN ", 100000) + "1" + repeat(" END", 100000),
    };
    for (const auto& sql : tooDeep)
        EXPECT_NE(quickFailure(sql).find("nested too deeply"), std::string::npos) << sql.substr(0, 40);
    conn->execute(repeat("BEGIN ", 60) + "INSERT INTO [Tervik].dbo.SetupDetails (File_Names) VALUES ('x')" +
                  repeat(" END", 60));
    conn->execute(repeat("IF 1=1 ", 60) + "INSERT INTO [Tervik].dbo.SetupDetails (File_Names) VALUES ('y')");
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails"), 2);
    EXPECT_EQ(conn->query("SELECT " + repeat("CASE WHEN 1=1 THEN ", 8) + "7" + repeat(" END", 8) + " AS v")
                  .field("v")
                  .asInt(),
              7);
}

TEST_F(HostileInput, LongConcatenationsKeepTsqlPlusSemantics) {
    addFile("a.exe", 1);
    std::string letters, expected;
    for (int i = 0; i < 40; ++i) {
        letters += (i ? " + '" : "'") + std::string(1, static_cast<char>('a' + i % 26)) + "'";
        expected += static_cast<char>('a' + i % 26);
    }
    std::string columns = "File_Names";
    for (int i = 0; i < 39; ++i)
        columns += " + '|' + File_Path";
    const std::pair<std::string, std::string> cases[] = {
        {letters, expected},
        {repeat("1 + '1' + ", 20) + "1", "41"}, // a number meets texts: each converts and adds
        {repeat("'1' + ", 3) + "1", "112"},     // texts concatenate first, from the left
        {repeat("1 + ", 40) + "'1'", "41"},
        {repeat("'x' + ", 20) + "'y' - 0 + " + repeat("'z' + ", 5) + "'z'", "<error>"},
        {repeat("2 + ", 10) + "3 - 1 + " + repeat("'1' + ", 20) + "'1'", "43"},
    };
    for (const auto& [expr, want] : cases) {
        std::string sql = "SELECT " + expr + " AS v";
        if (want == "<error>")
            EXPECT_NE(failure(sql).find("Conversion failed"), std::string::npos) << expr;
        else
            EXPECT_EQ(conn->query(sql).field("v").asText(), want) << expr;
    }
    EXPECT_TRUE(conn->query("SELECT " + letters + " + NULL + 'z' AS v").field("v").isNull());
    std::string joined =
        conn->query("SELECT " + columns + " AS v FROM [Tervik].dbo.SetupDetails").field("v").asText();
    EXPECT_EQ(joined, "a.exe" + repeat("|App.Path", 39));
    // Subqueries nest in SQLite's parser itself: past its depth the error says what is wrong.
    std::string in = "SELECT 1";
    for (int i = 0; i < 50; ++i)
        in = "SELECT 1 AS v WHERE 1 IN (" + in + ")";
    EXPECT_NE(failure(in).find("nested too deeply"), std::string::npos);
}

TEST_F(HostileInput, NumbersTooLargeForTheirPlaceAreRefusedAsDbError) {
    quillan::test::writeFile(dir / "rows.txt", "a.exe\n");
    const std::pair<const char*, const char*> cases[] = {
        {"KILL 99999999999999999999", "out of range"},
        {"KILL 4294967347", "not an active process"}, // must not wrap onto spid 51
        {"KILL 1.5", "whole number"},
        {"BULK INSERT [Tervik].dbo.SetupDetails FROM 'C:\\rows.txt' WITH (FIRSTROW = 99999999999999999999)",
         "FIRSTROW"},
        {"BULK INSERT [Tervik].dbo.SetupDetails FROM 'C:\\rows.txt' WITH (LASTROW = 1e400)", "LASTROW"},
    };
    for (const auto& [sql, named] : cases)
        EXPECT_NE(failure(sql).find(named), std::string::npos) << sql;
}

TEST_F(HostileInput, ByteOrderMarkAndInvisibleBlanksSeparateTokens) {
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBFSELECT 1 AS v", "1"},
        {"SELECT\xC2\xA0"
         "2\xC2\xA0"
         "AS v",
         "2"},                             // no-break spaces
        {"SELECT 3 AS\xE2\x80\x8Bv", "3"}, // zero-width space
        {"SELECT\xEF\xBB\xBF"
         "4 AS v\xEF\xBB\xBF",
         "4"}, // zero-width no-break space inside
        {"SELECT 'a\xC2\xA0"
         "b' AS v",
         "a\xC2\xA0"
         "b"}, // literals keep them
        {"SELECT [x\xE2\x80\x8By] AS v FROM (SELECT 5 AS [x\xE2\x80\x8By]) t", "5"},
    };
    for (const auto& [sql, want] : cases) {
        auto rs = conn->query(sql);
        ASSERT_EQ(rs.columns(), std::vector<std::string>{"v"}) << sql;
        EXPECT_EQ(rs.field("v").asText(), want) << sql;
    }
}

TEST_F(HostileInput, TranslationCacheIsBoundedInBytesAndSkipsAHugeBatch) {
    embedded::Session session(dir / "Data", "master", nullptr);
    const std::string filler(4u << 20, 'x');
    for (int i = 0; i < 12; ++i) {
        ASSERT_EQ(session.run("SELECT " + std::to_string(i) + " AS v --" + filler)->field("v").asInt(), i);
        EXPECT_LE(session.translationCacheBytes(), embedded::Session::kTranslationCacheBytes);
    }
    EXPECT_GT(session.translationCacheBytes(), 0u);
    const std::size_t before = session.translationCacheBytes();
    const std::string huge =
        "SELECT 99 AS v --" + std::string(embedded::Session::kTranslationCacheBytes, 'y');
    EXPECT_EQ(session.run(huge)->field("v").asInt(), 99);
    EXPECT_EQ(session.translationCacheBytes(), before);
    EXPECT_EQ(session.run(huge)->field("v").asInt(), 99); // translated again, still right
}

} // namespace

} // namespace quillan::db::test
