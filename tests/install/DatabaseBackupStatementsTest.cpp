// The database backup's list of archives on the embedded engine (the restore's ending of server
// processes runs on the engine in DatabaseBackupTest).
#include "install/DatabaseBackupStatements.h"
#include "tests/support/EngineCatalog.h"

namespace quillan {
namespace {

using DatabaseBackupStatements = test::EngineCatalog;

TEST_F(DatabaseBackupStatements, PruneListKeepsTheTwoNewest) {
    conn->execute(backupListInsert(P, "stale.zip", {}));
    conn->execute(clearBackupListStatement(P)); // a list left by an earlier prune is emptied first
    // Two archives of one day: the later hour is the newer.
    const std::pair<const char*, const char*> archives[] = {{"a.zip", "2024-01-09 10:00:00"},
                                                            {"b.zip", "2024-03-01 09:00:00"},
                                                            {"c.zip", "2024-02-10 23:59:59"},
                                                            {"d.zip", "2023-12-31 10:00:00"},
                                                            {"e.zip", "2024-03-01 10:00:00"}};
    for (const auto& [name, time] : archives)
        conn->execute(backupListInsert(P, name, *DateTime::parse(time)));
    conn->execute(keepNewestBackupsStatement(P));
    auto left = column(backupListQuery(P), "FileName");
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"a.zip", "c.zip", "d.zip"}));
}

} // namespace
} // namespace quillan
