#include "platform/db/ConnectionString.h"
#include "platform/db/OdbcConnectionString.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <optional>

using namespace quillan::db;

namespace {

const char* kFreeTds = "FreeTDS";
const char* kMsDriver = "ODBC Driver 17 for SQL Server";

std::string translate(const std::string& oledb, const char* driver = kFreeTds) {
    return toOdbcConnectionString(ConnectionString::parse(oledb), driver);
}

class EnvVar {
public:
    EnvVar(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    ~EnvVar() { old_ ? setenv(name_, old_->c_str(), 1) : unsetenv(name_); }

private:
    const char* name_;
    std::optional<std::string> old_;
};

} // namespace

TEST(ConnectionString, ParsesKeysWithoutRegardToCaseAndKeepsValueCase) {
    auto cs = ConnectionString::parse(
        "Provider=SQLOLEDB.1;Password=Se;cret;Persist Security Info=True;User ID=sa;INITIAL catalog=TervikDB;"
        " Data Source = SRV\\Inst ;");
    EXPECT_EQ(cs.get("initial catalog"), "TervikDB");
    EXPECT_EQ(cs.get("DATA SOURCE"), "SRV\\Inst");
    EXPECT_EQ(cs.get("user id"), "sa");
    EXPECT_EQ(cs.get("Password"), "Se"); // an unquoted ';' ends the value
    EXPECT_FALSE(cs.has("Data Folder"));
}

TEST(ConnectionString, QuotedAndBracedValuesMayHoldSemicolons) {
    auto cs =
        ConnectionString::parse("Password=\"a;b\"\"c\";User ID='it''s';Database={x;y}}z};Empty=;Next=1");
    EXPECT_EQ(cs.get("Password"), "a;b\"c");
    EXPECT_EQ(cs.get("User ID"), "it's");
    EXPECT_EQ(cs.get("Database"), "x;y}z");
    EXPECT_EQ(cs.get("Empty"), "");
    EXPECT_EQ(cs.get("Next"), "1");
    // A quote that does not close the value is part of it.
    EXPECT_EQ(ConnectionString::parse("PWD='abc;UID=u").get("PWD"), "'abc");
}

TEST(ConnectionString, SetReplacesTheFirstAndDropsDuplicates) {
    auto cs = ConnectionString::parse("a=1;A=2;b=3");
    EXPECT_EQ(cs.get("a"), "1"); // the first one counts, as in the settings reader
    cs.set("A", "9");
    EXPECT_EQ(cs.entries().size(), 2u);
    EXPECT_EQ(cs.get("a"), "9");
    cs.set("c", "x");
    EXPECT_EQ(cs.get("C"), "x");
    cs.erase("B");
    EXPECT_FALSE(cs.has("b"));
}

TEST(OdbcTranslation, MapsTheOleDbKeysForFreeTds) {
    EXPECT_EQ(translate("Provider=SQLOLEDB.1;Password=pw;Persist Security Info=True;User ID=sa;"
                        "Initial Catalog=TervikDB;Data Source=dbhost"),
              "Driver={FreeTDS};Server=dbhost;Port=1433;TDS_Version=7.4;ClientCharset=UTF-8;UID=sa;PWD=pw;"
              "Database=TervikDB;");
}

TEST(OdbcTranslation, ServerFormsForFreeTds) {
    EXPECT_NE(translate("Data Source=dbhost,14330;User ID=sa").find("Server=dbhost;Port=14330;"),
              std::string::npos);
    EXPECT_NE(translate("Data Source=tcp:dbhost, 2000 ;User ID=sa").find("Server=dbhost;Port=2000;"),
              std::string::npos);
    // A named instance is resolved by the driver: no port may override it.
    const auto named = translate("Data Source=SRV\\SQLEXPRESS;User ID=sa");
    EXPECT_NE(named.find("Server=SRV\\SQLEXPRESS;"), std::string::npos);
    EXPECT_EQ(named.find("Port="), std::string::npos);
    EXPECT_NE(translate("Data Source=(local);User ID=sa").find("Server=127.0.0.1;Port=1433;"),
              std::string::npos);
    EXPECT_NE(translate("Data Source=(LOCAL)\\Inst;User ID=sa").find("Server=127.0.0.1\\Inst;"),
              std::string::npos);
    EXPECT_NE(translate("Data Source=.;User ID=sa").find("Server=127.0.0.1;"), std::string::npos);
}

TEST(OdbcTranslation, OtherDriversKeepTheServerTextWhole) {
    EXPECT_EQ(translate("Data Source=dbhost,14330;User ID=sa;Password=pw;Initial Catalog=T", kMsDriver),
              "Driver={ODBC Driver 17 for SQL Server};Server=dbhost,14330;UID=sa;PWD=pw;Database=T;");
    EXPECT_NE(translate("Data Source=(local)\\SQLEXPRESS;User ID=sa", kMsDriver)
                  .find("Server=(local)\\SQLEXPRESS;"),
              std::string::npos);
}

TEST(OdbcTranslation, PasswordRules) {
    // PWD is used only when Password is missing or blank; a blank password is left out.
    EXPECT_NE(translate("Data Source=h;User ID=u;PWD=p2").find("PWD=p2;"), std::string::npos);
    EXPECT_NE(translate("Data Source=h;User ID=u;Password=p1;PWD=p2").find("PWD=p1;"), std::string::npos);
    EXPECT_NE(translate("Data Source=h;User ID=u;Password=  ;PWD=p2").find("PWD=p2;"), std::string::npos);
    EXPECT_EQ(translate("Data Source=h;User ID=u;Password=   ").find("PWD"), std::string::npos);
    // A password's own blanks and case are kept.
    EXPECT_NE(translate("Data Source=h;User ID=u;Password=\" Pa Ss \"").find("PWD={ Pa Ss };"),
              std::string::npos);
}

TEST(OdbcTranslation, IntegratedSecurityDropsUserAndPassword) {
    const auto s = translate("Data Source=h;Integrated Security=SSPI;User ID=u;Password=p;Initial Catalog=D");
    EXPECT_NE(s.find("Trusted_Connection=Yes;"), std::string::npos);
    EXPECT_EQ(s.find("UID="), std::string::npos);
    EXPECT_EQ(s.find("PWD="), std::string::npos);
    EXPECT_NE(translate("Data Source=h;integrated security=true").find("Trusted_Connection=Yes;"),
              std::string::npos);
    EXPECT_EQ(translate("Data Source=h;Integrated Security=False;User ID=u").find("Trusted"),
              std::string::npos);
}

TEST(OdbcTranslation, ValuesThatCouldEndTheElementAreBraced) {
    EXPECT_EQ(odbcPair("PWD", "a;b"), "PWD={a;b};");
    EXPECT_EQ(odbcPair("PWD", "a}b"), "PWD={a}}b};");
    EXPECT_EQ(odbcPair("PWD", "{ab"), "PWD={{ab};");
    EXPECT_EQ(odbcPair("PWD", "ab="), "PWD=ab=;");
    // The braced value reads back as it was.
    const auto s = translate("Data Source=h;User ID=u;Password=\"x;}y{\"");
    EXPECT_EQ(ConnectionString::parse(s).get("PWD"), "x;}y{");
    EXPECT_EQ(ConnectionString::parse(s).get("Database"), std::nullopt);
}

TEST(OdbcTranslation, RecognisesOdbcStringsToPassThrough) {
    EXPECT_TRUE(isOdbcConnectionString("Driver=SQLite3;Database=/tmp/x.db"));
    EXPECT_TRUE(isOdbcConnectionString("  driver = {FreeTDS};Server=h"));
    EXPECT_TRUE(isOdbcConnectionString("DSN=tervik"));
    EXPECT_FALSE(isOdbcConnectionString("Provider=SQLOLEDB;Data Source=h"));
    EXPECT_FALSE(isOdbcConnectionString("DriverX=1"));
    EXPECT_FALSE(isOdbcConnectionString("DSNless=1"));
}

TEST(OdbcTranslation, DriverAndLoginTimeoutFromTheEnvironment) {
    {
        EnvVar d("QUILLAN_ODBC_DRIVER", nullptr);
        EXPECT_EQ(defaultOdbcDriver(), "FreeTDS");
    }
    {
        EnvVar d("QUILLAN_ODBC_DRIVER", "ODBC Driver 18 for SQL Server");
        EXPECT_EQ(defaultOdbcDriver(), "ODBC Driver 18 for SQL Server");
    }
    {
        EnvVar t("QUILLAN_ODBC_LOGIN_TIMEOUT", nullptr);
        EXPECT_EQ(odbcLoginTimeoutSeconds(), 30);
    }
    {
        EnvVar t("QUILLAN_ODBC_LOGIN_TIMEOUT", "0");
        EXPECT_EQ(odbcLoginTimeoutSeconds(), 0);
    }
    {
        EnvVar t("QUILLAN_ODBC_LOGIN_TIMEOUT", "soon");
        EXPECT_EQ(odbcLoginTimeoutSeconds(), 30);
    }
}

TEST(ConnectionString, ToStringReadsBackTheSameEntries) {
    auto cs =
        ConnectionString::parse("Provider=SQLite;Password=\"a;b}c\";Data Folder= C:\\Tervik\\Data ;X={ y}");
    const auto again = ConnectionString::parse(cs.toString());
    ASSERT_EQ(again.entries().size(), 4u);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(again.entries()[i].key, cs.entries()[i].key);
        EXPECT_EQ(again.entries()[i].value, cs.entries()[i].value);
    }
    EXPECT_EQ(again.get("X"), " y");
}
