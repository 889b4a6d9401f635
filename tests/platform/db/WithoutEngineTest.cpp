// The database layer built without the embedded engine (the Windows build): a string that names
// the engine is refused with a reason, and the other strings still go to the system's ODBC driver
// manager, which answers for a driver it does not know.
#include "tests/platform/TestSupport.h"

#include "platform/db/Connection.h"
#include "platform/db/DbAdmin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::ThrowsMessage;

using namespace quillan;

TEST(WithoutEngine, AnEngineStringIsRefusedWithAReasonForConnectionsAndAdministration) {
    test::TempDir dir;
    const std::string cs = "Provider=SQLite;Initial Catalog=Tervik";
    EXPECT_THAT([&] { db::openConnection(cs, dir.path()); },
                ThrowsMessage<db::DbError>(HasSubstr("embedded engine")));
    EXPECT_THAT([&] { db::openAdmin(cs, dir.path()); },
                ThrowsMessage<db::DbError>(HasSubstr("embedded engine")));
    EXPECT_TRUE(std::filesystem::is_empty(dir.path())); // no data folder made for it
}

TEST(WithoutEngine, AnOdbcStringReachesTheDriverManagerWhichNamesTheMissingDriver) {
    test::TempDir dir;
    EXPECT_THAT(
        [&] {
            db::openConnection("Driver={Quillan No Such Driver};Server=127.0.0.1,1;Database=x", dir.path());
        },
        ThrowsMessage<db::DbError>(Not(IsEmpty())));
}
