// The settings' OLE DB connection string: parsing, writing it back, editing, and the translation
// into the ODBC string the SQL Server driver gets. Whatever the text, parsing what toString()
// wrote must give the same entries back.
#include "FuzzSupport.h"
#include "platform/db/ConnectionString.h"
#include "platform/db/OdbcConnectionString.h"

using namespace quillan;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 4096)
        return 0;
    const std::string input = fuzz::text(data, size);
    db::isOdbcConnectionString(input);
    db::ConnectionString cs = db::ConnectionString::parse(input);

    const std::string written = cs.toString();
    const db::ConnectionString back = db::ConnectionString::parse(written);
    fuzz::require(back.entries().size() == cs.entries().size(), "round trip keeps the entry count", written);
    for (std::size_t i = 0; i < cs.entries().size(); ++i) {
        fuzz::require(back.entries()[i].key == cs.entries()[i].key, "round trip keeps keys", written);
        fuzz::require(back.entries()[i].value == cs.entries()[i].value, "round trip keeps values", written);
    }

    for (const char* driver : {"FreeTDS", "ODBC Driver 17 for SQL Server"})
        db::toOdbcConnectionString(cs, driver);
    // Editing with a value taken from the input itself.
    cs.set("Data Source", input.substr(0, input.size() / 2));
    cs.erase("Password");
    fuzz::require(cs.get("Data Source") == input.substr(0, input.size() / 2), "set then get");
    fuzz::require(!cs.has("Password"), "erase removes the key");
    db::odbcPair("PWD", input);
    return 0;
}
