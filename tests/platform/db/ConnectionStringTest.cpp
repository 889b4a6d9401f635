#include "platform/db/ConnectionString.h"
#include "platform/db/OdbcConnectionString.h"
#include "tests/platform/TestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

using namespace quillan::db;
using quillan::test::EnvGuard;

TEST(ConnectionString, ParsesKeysWithoutRegardToCaseAndReadsQuotedValues) {
    auto cs = ConnectionString::parse(
        "Provider=SQLOLEDB.1;Password=Se;cret;Persist Security Info=True;User ID=sa;INITIAL catalog=TervikDB;"
        " Data Source = SRV\\Inst ;");
    EXPECT_EQ(cs.get("initial catalog"), "TervikDB");
    EXPECT_EQ(cs.get("DATA SOURCE"), "SRV\\Inst");
    EXPECT_EQ(cs.get("Password"), "Se"); // an unquoted ';' ends the value
    EXPECT_FALSE(cs.has("Data Folder"));
    cs = ConnectionString::parse("Password=\"a;b\"\"c\";User ID='it''s';Database={x;y}}z};Empty=;Next=1");
    EXPECT_EQ(cs.get("Password"), "a;b\"c");
    EXPECT_EQ(cs.get("User ID"), "it's");
    EXPECT_EQ(cs.get("Database"), "x;y}z");
    EXPECT_EQ(cs.get("Empty"), "");
    EXPECT_EQ(cs.get("Next"), "1");
    // A quote that does not close the value is part of it.
    EXPECT_EQ(ConnectionString::parse("PWD='abc;UID=u").get("PWD"), "'abc");
}

// How toString writes values so they read back is the next test's; here, which entry counts.
TEST(ConnectionString, TheFirstOfTwoKeysCountsAndSetReplacesItDroppingTheOther) {
    auto cs = ConnectionString::parse("a=1;A=2;b=3");
    EXPECT_EQ(cs.get("a"), "1"); // the first one counts, as in the settings reader
    cs.set("A", "9");
    EXPECT_EQ(cs.entries().size(), 2u);
    EXPECT_EQ(cs.get("a"), "9");
    cs.erase("B");
    EXPECT_FALSE(cs.has("b"));
}

TEST(ConnectionString, EveryValueReadsBackAsItWasWritten) {
    // The values that once came back changed, then many more built from the characters that matter.
    std::vector<std::string> values = {
        "/x;X=\"q\";Y=z", "\"/x\"", "'a'", "\"", "'", "{", "}", "{a}", "", " ", "a=b", "=",
        "\"a;b",          "x\"y",   ";;",  "\t"};
    const std::string alphabet = " ;=\"'{}ab\t";
    std::uint32_t seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int n = 0; n < 5000; ++n) {
        std::string v;
        for (std::uint32_t len = next() % 9; len > 0; --len)
            v += alphabet[next() % alphabet.size()];
        values.push_back(v);
    }
    for (std::size_t i = 0; i + 3 <= values.size(); i += 3) {
        ConnectionString cs;
        cs.set("Provider", values[i]);
        cs.set("Data Folder", values[i + 1]);
        cs.set("Password", values[i + 2]);
        const auto again = ConnectionString::parse(cs.toString());
        ASSERT_EQ(again.entries().size(), 3u) << cs.toString();
        for (std::size_t k = 0; k < 3; ++k) {
            ASSERT_EQ(again.entries()[k].key, cs.entries()[k].key) << cs.toString();
            ASSERT_EQ(again.entries()[k].value, cs.entries()[k].value) << cs.toString();
        }
    }
}

TEST(OdbcTranslation, MapsTheOleDbKeysForEachDriver) {
    EXPECT_EQ(toOdbcConnectionString(
                  ConnectionString::parse("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User "
                                          "ID=sa;Initial Catalog=TervikDB;Data Source=dbhost"),
                  "FreeTDS"),
              "Driver={FreeTDS};Server=dbhost;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;UID=sa;PWD=pw;"
              "Database=TervikDB;");
    EXPECT_EQ(toOdbcConnectionString(ConnectionString::parse(
                                         "Data Source=dbhost,14330;User ID=sa;Password=pw;Initial Catalog=T"),
                                     "ODBC Driver 17 for SQL Server"),
              "Driver={ODBC Driver 17 for SQL Server};Server=dbhost,14330;UID=sa;PWD=pw;Database=T;");
}

TEST(OdbcTranslation, ServerFormsPasswordsAndIntegratedSecurity) {
    struct Case {
        const char* oledb;
        const char* driver;
        const char* has;
        const char* hasNot;
    };
    const Case cases[] = {
        {"Data Source=dbhost,14330", "FreeTDS", "Server=dbhost;Port=14330;", nullptr},
        {"Data Source=tcp:dbhost, 2000 ", "FreeTDS", "Server=dbhost;Port=2000;", nullptr},
        // A named instance is resolved by the driver: no port may override it.
        {"Data Source=SRV\\SQLEXPRESS", "FreeTDS", "Server=SRV\\SQLEXPRESS;", "Port="},
        {"Data Source=(local)", "FreeTDS", "Server=127.0.0.1;Port=1433;", nullptr},
        {"Data Source=(LOCAL)\\Inst", "FreeTDS", "Server=127.0.0.1\\Inst;", nullptr},
        {"Data Source=.", "FreeTDS", "Server=127.0.0.1;", nullptr},
        {"Data Source=(local)\\SQLEXPRESS", "Other", "Server=(local)\\SQLEXPRESS;", nullptr},
        // PWD is used only when Password is missing or blank; a blank password is left out.
        {"Data Source=h;User ID=u;PWD=p2", "FreeTDS", "PWD=p2;", nullptr},
        {"Data Source=h;User ID=u;Password=p1;PWD=p2", "FreeTDS", "PWD=p1;", nullptr},
        {"Data Source=h;User ID=u;Password=  ;PWD=p2", "FreeTDS", "PWD=p2;", nullptr},
        {"Data Source=h;User ID=u;Password=   ", "FreeTDS", "UID=u;", "PWD"},
        {"Data Source=h;User ID=u;Password=\" Pa Ss \"", "FreeTDS", "PWD={ Pa Ss };", nullptr},
        {"Data Source=h;Integrated Security=SSPI;User ID=u;Password=p", "FreeTDS", "Trusted_Connection=Yes;",
         "UID="},
        {"Data Source=h;Integrated Security=SSPI;User ID=u;Password=p", "FreeTDS", "Trusted", "PWD="},
        {"Data Source=h;integrated security=true", "FreeTDS", "Trusted_Connection=Yes;", nullptr},
        {"Data Source=h;Integrated Security=False;User ID=u", "FreeTDS", "UID=u;", "Trusted"},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.oledb);
        const auto s = toOdbcConnectionString(ConnectionString::parse(k.oledb), k.driver);
        EXPECT_NE(s.find(k.has), std::string::npos) << s;
        if (k.hasNot) {
            EXPECT_EQ(s.find(k.hasNot), std::string::npos) << s;
        }
    }
}

TEST(OdbcTranslation, ValuesThatCouldEndTheElementAreBraced) {
    EXPECT_EQ(odbcPair("PWD", "a;b"), "PWD={a;b};");
    EXPECT_EQ(odbcPair("PWD", "a}b"), "PWD={a}}b};");
    EXPECT_EQ(odbcPair("PWD", "{ab"), "PWD={{ab};");
    EXPECT_EQ(odbcPair("PWD", "ab="), "PWD=ab=;");
    // The braced value reads back as it was.
    const auto s = toOdbcConnectionString(
        ConnectionString::parse("Data Source=h;User ID=u;Password=\"x;}y{\""), "FreeTDS");
    EXPECT_EQ(ConnectionString::parse(s).get("PWD"), "x;}y{");
    EXPECT_EQ(ConnectionString::parse(s).get("Database"), std::nullopt);
}

TEST(OdbcTranslation, RecognisesOdbcStringsToPassThrough) {
    for (const char* s : {"Driver=SQLite3;Database=/tmp/x.db", "  driver = {FreeTDS};Server=h", "DSN=tervik"})
        EXPECT_TRUE(isOdbcConnectionString(s)) << s;
    for (const char* s : {"Provider=SQLOLEDB;Data Source=h", "DriverX=1", "DSNless=1"})
        EXPECT_FALSE(isOdbcConnectionString(s)) << s;
}

TEST(OdbcTranslation, DriverAndLoginTimeoutFromTheEnvironment) {
    const std::pair<std::optional<std::string>, int> timeouts[] = {
        {std::nullopt, 30}, {"0", 0}, {"soon", 30}};
    for (const auto& [value, seconds] : timeouts) {
        EnvGuard t("QUILLAN_ODBC_LOGIN_TIMEOUT", value);
        EXPECT_EQ(odbcLoginTimeoutSeconds(), seconds) << value.value_or("<unset>");
    }
    {
        EnvGuard d("QUILLAN_ODBC_DRIVER", std::nullopt);
#ifdef _WIN32
        EXPECT_EQ(defaultOdbcDriver(), "ODBC Driver 17 for SQL Server");
#else
        EXPECT_EQ(defaultOdbcDriver(), "FreeTDS");
#endif
    }
    EnvGuard d("QUILLAN_ODBC_DRIVER", std::string("ODBC Driver 18 for SQL Server"));
    EXPECT_EQ(defaultOdbcDriver(), "ODBC Driver 18 for SQL Server");
}
