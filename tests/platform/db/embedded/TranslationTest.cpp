// T-SQL rules the engine must keep: NULLs, case-insensitive text, '+', functions, and clear refusals.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class Translation : public EngineTest {
protected:
    Value one(const std::string& expr) { return conn->query("SELECT " + expr + " AS v").field("v"); }
    std::string failure(const std::string& sql) {
        try {
            conn->execute(sql);
        } catch (const DbError& e) {
            return e.what();
        }
        return "<no error>";
    }
};

TEST_F(Translation, TextFunctionsFollowTsql) {
    EXPECT_EQ(one("LEN('abc   ')").asInt(), 3); // trailing blanks do not count
    EXPECT_EQ(one("LEN('  ab')").asInt(), 4);
    EXPECT_EQ(one("CHARINDEX('B', 'abcb')").asInt(), 2); // case ignored
    EXPECT_EQ(one("CHARINDEX('x', 'abc')").asInt(), 0);
    EXPECT_EQ(one("SUBSTRING('abcdef', 0, 3)").asText(), "ab");
    EXPECT_EQ(one("SUBSTRING('abcdef', -1, 3)").asText(), "a");
    EXPECT_EQ(one("LTRIM('  a ') + '|'").asText(), "a |");
    EXPECT_EQ(one("RTRIM('  a ') + '|'").asText(), "  a|");
    EXPECT_EQ(one("REPLACE('App.Path\\x', 'app.path', 'C:')").asText(), "C:\\x");
    EXPECT_EQ(one("RIGHT('abcdef', 2)").asText(), "ef");
}

TEST_F(Translation, PlusAddsNumbersAndJoinsTexts) {
    EXPECT_EQ(one("1 + 2 * 3").asInt(), 7);
    EXPECT_EQ(one("'a' + 'b' + 'c'").asText(), "abc");
    EXPECT_EQ(one("'1' + 1").asInt(), 2); // text meets number: numeric, as SQL Server converts
    EXPECT_EQ(one("10 - 2 + 1").asInt(), 9);
    EXPECT_TRUE(one("'a' + NULL").isNull());
    EXPECT_NE(failure("SELECT 'a' + 1 AS v").find("Conversion failed"), std::string::npos);
    addFile("x.exe", 1);
    EXPECT_EQ(conn->query("SELECT File_Names + '|' + File_Path AS v FROM " + P + ".dbo.SetupDetails")
                  .field("v")
                  .asText(),
              "x.exe|App.Path");
    EXPECT_EQ(conn->query("SELECT CASE WHEN 1=1 THEN 'a' END + 'b' AS v").field("v").asText(), "ab");
}

TEST_F(Translation, NullsKeepTheirMeaning) {
    addFile("a.exe", 1);
    EXPECT_TRUE(conn->query("SELECT File_UnZipDate FROM " + P + ".dbo.SetupDetails")
                    .field("File_UnZipDate")
                    .isNull());
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE File_UnZipDate = NULL"), 0);
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE File_UnZipDate IS NULL"), 1);
    EXPECT_TRUE(one("LEN(NULL)").isNull());
    EXPECT_EQ(one("ISNULL(NULL, 5)").asInt(), 5);
    EXPECT_TRUE(conn->query("SELECT MAX(HotfixNo) AS m FROM " + P + ".dbo.SetupDetails WHERE HotfixNo > 0")
                    .field("m")
                    .isNull());
}

TEST_F(Translation, TextComparisonIgnoresCase) {
    addFile("Tervik.EXE", 1);
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE File_Names = 'tervik.exe'"), 1);
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE File_Names IN ('TERVIK.exe')"), 1);
    EXPECT_EQ(count(P + ".dbo.SetupDetails WHERE File_Names LIKE '%.exe'"), 1);
    EXPECT_EQ(count("Tervik..setupdetails"), 1);    // db..T and any case of the names
    EXPECT_EQ(count("tervik.DBO.SETUPDETAILS"), 1); // catalog lookup ignores case
}

TEST_F(Translation, ConversionsOfNumbersAndDates) {
    EXPECT_DOUBLE_EQ(one("convert(dec(15,2), 2.345)").asDouble(), 2.35);
    EXPECT_EQ(one("convert(bigint, 7.9)").asInt(), 7);
    EXPECT_EQ(one("CAST('42' AS INT)").asInt(), 42);
    EXPECT_NE(failure("SELECT convert(int, 'abc') AS v").find("Conversion failed"), std::string::npos);
    EXPECT_NE(failure("SELECT convert(dec(3,2), 12.5) AS v").find("overflow"), std::string::npos);
    EXPECT_EQ(one("convert(varchar(20), '2024-01-02 03:04:05', 111)").asText(), "2024/01/02");
    EXPECT_EQ(one("convert(varchar(3), 'abcdef')").asText(), "abc");
    EXPECT_EQ(one("convert(datetime, '2024/01/02')").asText(), "2024-01-02 00:00:00");
}

TEST_F(Translation, CatalogsMapToFiles) {
    EXPECT_NE(failure("SELECT * FROM [Nowhere].dbo.T").find("Database 'Nowhere' does not exist"),
              std::string::npos);
    conn->execute("CREATE DATABASE Second");
    EXPECT_TRUE(std::filesystem::exists(dir / "Data" / "Second.sqlite"));
    EXPECT_NE(failure("CREATE DATABASE [second]").find("already exists"), std::string::npos);
    EXPECT_NE(failure("CREATE DATABASE [../x]").find("not a valid name"), std::string::npos);
    conn->execute("CREATE TABLE Second.dbo.T (A INT)");
    conn->execute("INSERT INTO Second.dbo.T SELECT COUNT(*) FROM [Tervik].dbo.SetupDetails");
    EXPECT_EQ(count("Second.dbo.T"), 1);
    auto dbs = conn->query("SELECT dbid, name FROM master.dbo.sysdatabases ORDER BY dbid");
    EXPECT_EQ(column(dbs, "name"), (std::vector<std::string>{"master", "Second", "Tervik"}));
    EXPECT_EQ(count("master.dbo.sysdatabases WHERE name = 'TERVIK'"), 1);
}

TEST_F(Translation, BatchesWithoutSeparatorsAndIfElse) {
    conn->execute("CREATE TABLE " + P + ".dbo.T (A INT) INSERT INTO " + P + ".dbo.T VALUES (1) INSERT INTO " +
                  P + ".dbo.T SELECT 2 UNION ALL SELECT 3 UPDATE " + P + ".dbo.T SET A = A * 10 WHERE A = 3");
    EXPECT_EQ(count(P + ".dbo.T"), 3);
    EXPECT_EQ(count(P + ".dbo.T WHERE A = 30"), 1);
    conn->execute("IF EXISTS (SELECT * FROM " + P + ".dbo.T WHERE A = 99) BEGIN DELETE FROM " + P +
                  ".dbo.T END ELSE BEGIN INSERT INTO " + P + ".dbo.T VALUES (99) END");
    EXPECT_EQ(count(P + ".dbo.T"), 4);
    // query() answers with the first statement that returns rows.
    auto rs = conn->query("UPDATE " + P + ".dbo.T SET A = A SELECT MAX(A) AS m FROM " + P +
                          ".dbo.T SELECT 1 AS other");
    EXPECT_EQ(rs.columns(), std::vector<std::string>{"m"});
    EXPECT_EQ(rs.field("m").asInt(), 99);
}

TEST_F(Translation, TransactionsCommitAndRollBack) {
    conn->execute("BEGIN TRAN");
    addFile("kept.exe", 1);
    conn->execute("COMMIT");
    conn->execute("BEGIN TRANSACTION");
    addFile("dropped.exe", 1);
    conn->execute("ROLLBACK");
    EXPECT_EQ(column(conn->query("SELECT File_Names FROM " + P + ".dbo.SetupDetails"), "File_Names"),
              std::vector<std::string>{"kept.exe"});
}

TEST_F(Translation, UntranslatableInputFailsNamingTheConstruct) {
    EXPECT_NE(failure("DECLARE @x INT").find("DECLARE"), std::string::npos);
    EXPECT_NE(failure("SELECT DATEADD(day, 1, GETDATE()) AS d").find("DATEADD"), std::string::npos);
    EXPECT_NE(failure("SELECT TOP 10 PERCENT * FROM " + P + ".dbo.SetupDetails").find("PERCENT"),
              std::string::npos);
    EXPECT_NE(failure("SELECT * INTO X FROM " + P + ".dbo.SetupDetails").find("SELECT ... INTO"),
              std::string::npos);
    EXPECT_NE(failure("EXEC sp_who").find("sp_who"), std::string::npos);
    EXPECT_NE(failure("SELECT v = 1").find("name = expression"), std::string::npos);
    EXPECT_NE(failure("SELECT 'abc").find("Unclosed quotation mark"), std::string::npos);
    EXPECT_NE(failure("SELECT * FROM " + P + ".dbo.NoSuchTable").find("Invalid object name 'NoSuchTable'"),
              std::string::npos);
}

TEST_F(Translation, HintsInEverySpelling) {
    addFile("a.exe", 1);
    for (std::string hint : {"(nolock)", "(NOLOCK)", "WITH (NOLOCK)", "WITH(NOLOCK)", " ( NoLock ) ",
                             "A WITH (NOLOCK)", "A(NOLOCK)"})
        EXPECT_EQ(count(P + ".dbo.SetupDetails " + hint + " WHERE HotfixNo = 0"), 1) << hint;
}

} // namespace

} // namespace quillan::db::test
