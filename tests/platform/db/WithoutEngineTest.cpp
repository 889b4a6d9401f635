// The database layer built without the embedded engine (the Windows build): a string that names
// the engine is refused with a reason, and the other strings still go to the system's ODBC driver
// manager, which answers for a driver it does not know.
#include "tests/platform/TestSupport.h"

#include "platform/db/Connection.h"
#include "platform/db/DbAdmin.h"

#include <gtest/gtest.h>

using namespace quillan;

TEST(WithoutEngine, AnEngineStringIsRefusedWithAReasonForConnectionsAndAdministration) {
    test::TempDir dir;
    const std::string cs = "Provider=SQLite;Initial Catalog=Tervik";
    for (int admin = 0; admin < 2; ++admin) {
        SCOPED_TRACE(admin);
        try {
            if (admin != 0)
                db::openAdmin(cs, dir.path());
            else
                db::openConnection(cs, dir.path());
            ADD_FAILURE() << "opened without the engine";
        } catch (const db::DbError& e) {
            EXPECT_NE(std::string(e.what()).find("embedded engine"), std::string::npos) << e.what();
        }
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())); // no data folder made for it
}

TEST(WithoutEngine, AnOdbcStringReachesTheDriverManagerWhichNamesTheMissingDriver) {
    test::TempDir dir;
    try {
        db::openConnection("Driver={Quillan No Such Driver};Server=127.0.0.1,1;Database=x", dir.path());
        ADD_FAILURE() << "connected through a driver that does not exist";
    } catch (const db::DbError& e) {
        EXPECT_FALSE(std::string(e.what()).empty());
    }
}
