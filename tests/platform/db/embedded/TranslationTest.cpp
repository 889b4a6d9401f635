// T-SQL rules the engine must keep: NULLs, case-insensitive text, '+', functions, and clear refusals.
#include "EngineFixture.h"

namespace quillan::db::test {

namespace {

class Translation : public EngineTest {
protected:
    Value one(const std::string& expr) { return conn->query("SELECT " + expr + " AS v").field("v"); }
};

TEST_F(Translation, ExpressionsFollowTsql) {
    const std::pair<const char*, const char*> cases[] = {
        {"LEN('abc   ')", "3"}, // trailing blanks do not count
        {"LEN('  ab')", "4"},
        {"CHARINDEX('B', 'abcb')", "2"}, // case ignored
        {"CHARINDEX('x', 'abc')", "0"},
        {"SUBSTRING('abcdef', 0, 3)", "ab"},
        {"SUBSTRING('abcdef', -1, 3)", "a"},
        {"LTRIM('  a ') + '|'", "a |"},
        {"RTRIM('  a ') + '|'", "  a|"},
        {"REPLACE('App.Path\\x', 'app.path', 'C:')", "C:\\x"},
        {"RIGHT('abcdef', 2)", "ef"},
        {"1 + 2 * 3", "7"},
        {"'a' + 'b' + 'c'", "abc"},
        {"'1' + 1", "2"}, // text meets number: numeric, as SQL Server converts
        {"10 - 2 + 1", "9"},
        {"CASE WHEN 1=1 THEN 'a' END + 'b'", "ab"},
        {"ISNULL(NULL, 5)", "5"},
        {"convert(dec(15,2), 2.345)", "2.35"},
        {"convert(bigint, 7.9)", "7"},
        {"CAST('42' AS INT)", "42"},
        {"convert(varchar(20), '2024-01-02 03:04:05', 111)", "2024/01/02"},
        {"convert(varchar(3), 'abcdef')", "abc"},
        {"convert(datetime, '2024/01/02')", "2024-01-02 00:00:00"},
    };
    for (const auto& [expr, expected] : cases)
        EXPECT_EQ(one(expr).asText(), expected) << expr;
    EXPECT_TRUE(one("'a' + NULL").isNull());
    EXPECT_TRUE(one("LEN(NULL)").isNull());
    EXPECT_NE(failure("SELECT 'a' + 1 AS v").find("Conversion failed"), std::string::npos);
    EXPECT_NE(failure("SELECT convert(int, 'abc') AS v").find("Conversion failed"), std::string::npos);
    EXPECT_NE(failure("SELECT convert(dec(3,2), 12.5) AS v").find("overflow"), std::string::npos);
}

TEST_F(Translation, ColumnsNullsAndTextComparisonIgnoringCase) {
    addFile("Tervik.EXE", 1);
    EXPECT_EQ(conn->query("SELECT File_Names + '|' + File_Path AS v FROM [Tervik].dbo.SetupDetails")
                  .field("v")
                  .asText(),
              "Tervik.EXE|App.Path");
    EXPECT_TRUE(
        conn->query("SELECT File_UnZipDate FROM [Tervik].dbo.SetupDetails").field("File_UnZipDate").isNull());
    EXPECT_TRUE(conn->query("SELECT MAX(HotfixNo) AS m FROM [Tervik].dbo.SetupDetails WHERE HotfixNo > 0")
                    .field("m")
                    .isNull());
    const std::pair<const char*, long long> counts[] = {
        {"[Tervik].dbo.SetupDetails WHERE File_UnZipDate = NULL", 0},
        {"[Tervik].dbo.SetupDetails WHERE File_UnZipDate IS NULL", 1},
        {"[Tervik].dbo.SetupDetails WHERE File_Names = 'tervik.exe'", 1},
        {"[Tervik].dbo.SetupDetails WHERE File_Names IN ('TERVIK.exe')", 1},
        {"[Tervik].dbo.SetupDetails WHERE File_Names LIKE '%.exe'", 1},
        {"Tervik..setupdetails", 1},    // db..T and any case of the names
        {"tervik.DBO.SETUPDETAILS", 1}, // catalog lookup ignores case
    };
    for (const auto& [fromWhere, n] : counts)
        EXPECT_EQ(count(fromWhere), n) << fromWhere;
    // Bracketed aliases with blanks, as the status detail lists use them.
    auto details = conn->query("Select File_Names as [File Name],File_Crdate AS [File Date] from "
                               "[Tervik].dbo.SetupDetails (nolock) where file_names like '%.exe'");
    EXPECT_EQ(details.columns(), (std::vector<std::string>{"File Name", "File Date"}));
    EXPECT_EQ(details.field("File Date").asDate().iso(), "2024-03-01 10:00:00");
}

TEST_F(Translation, DatesInTheLanguageNeutralFormAreTheSameMomentsAsTheBlankForm) {
    addFile("a.exe", 1);
    addFile("b.exe", 1);
    addFile("c.exe", 1);
    conn->execute("UPDATE [Tervik].dbo.SetupDetails SET File_UnZipDate = '2024-03-05T14:07:09' WHERE "
                  "File_Names = 'a.exe'");
    conn->execute("UPDATE [Tervik].dbo.SetupDetails SET File_UnZipDate = '2024-03-05 14:07:10' WHERE "
                  "File_Names = 'b.exe'");
    conn->execute("UPDATE [Tervik].dbo.SetupDetails SET File_UnZipDate = '2024-03-05T14:07:08.500' WHERE "
                  "File_Names = 'c.exe'");
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE File_UnZipDate = '2024-03-05 14:07:09'"), 1);
    EXPECT_EQ(count("[Tervik].dbo.SetupDetails WHERE File_UnZipDate < '2024-03-05T14:07:10'"), 2);
    auto rs = conn->query("SELECT File_Names FROM [Tervik].dbo.SetupDetails ORDER BY File_UnZipDate");
    std::vector<std::string> order;
    for (; !rs.eof(); rs.moveNext())
        order.push_back(rs.field("File_Names").asText());
    EXPECT_EQ(order, (std::vector<std::string>{"c.exe", "a.exe", "b.exe"}));
    // Only the exact date shape is read so; any other text keeps its "T".
    EXPECT_EQ(one("'2024-03-05T14:07'").asText(), "2024-03-05T14:07");
    EXPECT_EQ(one("'Tag 2024-03-05T14:07:09'").asText(), "Tag 2024-03-05T14:07:09");
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
    EXPECT_EQ(column("SELECT dbid, name FROM master.dbo.sysdatabases ORDER BY dbid", "name"),
              (std::vector<std::string>{"master", "Second", "Tervik"}));
    EXPECT_EQ(count("master.dbo.sysdatabases WHERE name = 'TERVIK'"), 1);
}

TEST_F(Translation, BatchesWithoutSeparatorsIfElseAndTransactions) {
    conn->execute(
        "CREATE TABLE [Tervik].dbo.T (A INT) INSERT INTO [Tervik].dbo.T VALUES (1) INSERT INTO "
        "[Tervik].dbo.T SELECT 2 UNION ALL SELECT 3 UPDATE [Tervik].dbo.T SET A = A * 10 WHERE A = 3");
    EXPECT_EQ(count("[Tervik].dbo.T"), 3);
    EXPECT_EQ(count("[Tervik].dbo.T WHERE A = 30"), 1);
    conn->execute(
        "IF EXISTS (SELECT * FROM [Tervik].dbo.T WHERE A = 99) BEGIN DELETE FROM [Tervik].dbo.T END "
        "ELSE BEGIN INSERT INTO [Tervik].dbo.T VALUES (99) END");
    EXPECT_EQ(count("[Tervik].dbo.T"), 4);
    // query() answers with the first statement that returns rows.
    auto rs = conn->query(
        "UPDATE [Tervik].dbo.T SET A = A SELECT MAX(A) AS m FROM [Tervik].dbo.T SELECT 1 AS other");
    EXPECT_EQ(rs.columns(), std::vector<std::string>{"m"});
    EXPECT_EQ(rs.field("m").asInt(), 99);

    conn->execute("BEGIN TRAN");
    addFile("kept.exe", 1);
    conn->execute("COMMIT");
    conn->execute("BEGIN TRANSACTION");
    addFile("dropped.exe", 1);
    conn->execute("ROLLBACK");
    EXPECT_EQ(column("SELECT File_Names FROM [Tervik].dbo.SetupDetails", "File_Names"),
              std::vector<std::string>{"kept.exe"});
}

TEST_F(Translation, UntranslatableInputFailsNamingTheConstruct) {
    const std::pair<const char*, const char*> cases[] = {
        {"DECLARE @x INT", "DECLARE"},
        {"SELECT DATEADD(day, 1, GETDATE()) AS d", "DATEADD"},
        {"SELECT TOP 10 PERCENT * FROM [Tervik].dbo.SetupDetails", "PERCENT"},
        {"SELECT * INTO X FROM [Tervik].dbo.SetupDetails", "SELECT ... INTO"},
        {"EXEC sp_who", "sp_who"},
        {"SELECT v = 1", "name = expression"},
        {"SELECT 'abc", "Unclosed quotation mark"},
        {"SELECT * FROM [Tervik].dbo.NoSuchTable", "Invalid object name 'NoSuchTable'"},
    };
    for (const auto& [sql, named] : cases)
        EXPECT_NE(failure(sql).find(named), std::string::npos) << sql;
}

TEST_F(Translation, HintsInEverySpelling) {
    addFile("a.exe", 1);
    for (std::string hint : {"(nolock)", "(NOLOCK)", "WITH (NOLOCK)", "WITH(NOLOCK)", " ( NoLock ) ",
                             "A WITH (NOLOCK)", "A(NOLOCK)"})
        EXPECT_EQ(count("[Tervik].dbo.SetupDetails " + hint + " WHERE HotfixNo = 0"), 1) << hint;
}

} // namespace

} // namespace quillan::db::test
