// quillan-sql end to end: the real executable, its standard output, standard error and exit code.
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {

using namespace quillan::test;

struct Result {
    int code = -1;
    std::string out, err;
};

std::string shellQuote(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

class QuillanSql : public ::testing::Test {
protected:
    Result run(const std::vector<std::string>& args, const std::string& input = "") {
        std::string cmd = shellQuote(QUILLAN_BINARY_DIR "/app/quillan-sql");
        for (const auto& a : args)
            cmd += " " + shellQuote(a);
        writeFile(dir / "stdin", input);
        cmd += " <" + shellQuote((dir / "stdin").string()) + " >" + shellQuote((dir / "stdout").string()) +
               " 2>" + shellQuote((dir / "stderr").string());
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readFile(dir / "stdout"),
                readFile(dir / "stderr")};
    }

    std::string odbc() const { return "Driver=SQLite3;Database=" + (dir / "t.db").string(); }

    TempDir dir;
};

} // namespace

TEST_F(QuillanSql, PrintsEachResultSetTabSeparatedWithNullAndDates) {
    ASSERT_EQ(
        run({"--connect", odbc(), "-Q", "CREATE TABLE t (n VARCHAR(20), x INT, d DATETIME, r DOUBLE)"}).code,
        0);
    auto r =
        run({"--connect", odbc(), "-Q", "INSERT INTO t VALUES ('O''Brien', 1, '2024-01-02 03:04:05', 0.5)"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, ""); // a statement without a result set prints nothing
    const std::string script = "INSERT INTO t VALUES (NULL, 2, NULL, NULL)\nGO\n"
                               "SELECT * FROM t ORDER BY x\n  go  \nSELECT count(*) AS Total FROM t\n";
    r = run({"--connect", odbc()}, script); // from standard input
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "n\tx\td\tr\n"
                     "O'Brien\t1\t2024-01-02 03:04:05\t0.5\n"
                     "NULL\t2\tNULL\tNULL\n"
                     "Total\n"
                     "2\n");
    EXPECT_EQ(r.err, "");
    writeFile(dir / "q.sql", "SELECT n FROM t WHERE x = 5");
    r = run({"--connect", odbc(), "-i", (dir / "q.sql").string()});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "n\n"); // an empty result set still has its header
}

TEST_F(QuillanSql, FailuresExitWithOneAndStopTheRunUsageErrorsWith64) {
    ASSERT_EQ(run({"--connect", odbc(), "-Q", "CREATE TABLE t (x INT)"}).code, 0);
    auto r = run({"--connect", odbc()},
                 "SELECT 1 AS a\nGO\nSELECT * FROM Missing\nGO\nINSERT INTO t VALUES (1)\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "a\n1\n");
    EXPECT_NE(r.err.find("no such table: Missing"), std::string::npos) << r.err;
    EXPECT_EQ(run({"--connect", odbc(), "-Q", "SELECT count(*) AS n FROM t"}).out,
              "n\n0\n"); // later batch not run
    r = run(
        {"--connect", "Driver=SQLite3;NoCreat=1;Database=" + (dir / "absent.db").string(), "-Q", "SELECT 1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_FALSE(r.err.empty());
    r = run({"--connect", odbc(), "-i", (dir / "no-such.sql").string()});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("no-such.sql"), std::string::npos);
    // No database named, two of them, both a query and an input file, an unknown option.
    for (const std::vector<std::string>& args : {std::vector<std::string>{"-Q", "SELECT 1"},
                                                 {"--connect", odbc(), "--app-dir", "x", "-Q", "SELECT 1"},
                                                 {"--connect", odbc(), "-Q", "SELECT 1", "-i", "f.sql"},
                                                 {"--connect", odbc(), "--bogus"}}) {
        r = run(args);
        EXPECT_EQ(r.code, 64) << args.back();
        EXPECT_EQ(r.out, "");
    }
}

TEST_F(QuillanSql, AppDirReadsTheFirstLineOfSdIniWithoutRegardToCase) {
    writeFile(dir / "app" / "dll" / "SD.INI", "\xEF\xBB\xBF" + odbc() + "\r\nsecond line ignored\r\n");
    auto r = run({"--app-dir", (dir / "app").string(), "-Q", "SELECT 'it''s' AS v"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "v\nit's\n");
    r = run({"--app-dir", (dir / "nowhere").string(), "-Q", "SELECT 1"});
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("Sd.ini"), std::string::npos) << r.err;
}

TEST_F(QuillanSql, RunsAgainstTheEmbeddedEngineInMasterOrTheNamedDatabase) {
    const auto app = (dir / "app").string();
    writeFile(dir / "app" / "Dll" / "Sd.ini", "Provider=SQLite;Data Folder=Data;Initial Catalog=TervikDB\n");
    std::filesystem::create_directories(dir / "app" / "Data");
    ASSERT_EQ(run({"--app-dir", app, "-Q", "CREATE DATABASE TervikDB"}).code, 0);
    auto r = run({"--app-dir", app, "-d", "TervikDB"},
                 "CREATE TABLE Files (Name VARCHAR(100), Size INT, Made DATETIME)\nGO\n"
                 "INSERT INTO Files VALUES ('O''Brien.exe', 12, '2024-05-06 07:08:09')\nGO\n"
                 "INSERT INTO Files VALUES (NULL, NULL, NULL)\n");
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "");
    r = run(
        {"--app-dir", app, "-d", "TervikDB", "-Q", "SELECT Name, Size, Made FROM Files ORDER BY Size DESC"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Name\tSize\tMade\nO'Brien.exe\t12\t2024-05-06 07:08:09\nNULL\tNULL\tNULL\n");
    // Without -d the context is master, where the table does not exist.
    r = run({"--app-dir", app, "-Q", "SELECT Name FROM Files"});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.out, "");
    r = run({"--app-dir", app, "-Q", "SELECT Name FROM [TervikDB].dbo.Files WHERE Size = 12"});
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "Name\nO'Brien.exe\n");
    // The layer's batch splitter: "GO 2" repeats the batch, a GO line inside a literal is text, and
    // a bad count fails the run before anything is sent.
    r = run({"--app-dir", app, "-d", "TervikDB"},
            "\xEF\xBB\xBFINSERT INTO Files (Name) VALUES ('a\r\nGO\r\nb')\r\n go 2 \r\n"
            "SELECT COUNT(*) AS n FROM Files WHERE Name LIKE 'a%b'\r\n");
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.out, "n\n2\n");
    r = run({"--app-dir", app, "-d", "TervikDB"}, "INSERT INTO Files (Name) VALUES ('c')\nGO 0\n");
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find("line 2"), std::string::npos) << r.err;
    EXPECT_EQ(
        run({"--app-dir", app, "-d", "TervikDB", "-Q", "SELECT COUNT(*) AS n FROM Files WHERE Name = 'c'"})
            .out,
        "n\n0\n");
}
