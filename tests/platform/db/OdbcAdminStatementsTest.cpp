// The SQL Server administration statements cannot run here (no SQL Server): what is checked is
// that every name and file in them is quoted so that none can end its literal, and how the
// server's progress messages are read.
#include "platform/db/Connection.h"
#include "platform/db/odbc/OdbcAdmin.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::HasSubstr;
using ::testing::ThrowsMessage;

using namespace quillan::db;
using namespace quillan::db::odbc;

TEST(OdbcAdminStatements, BackupAndRestoreQuoteDatabaseAndFile) {
    EXPECT_EQ(backupStatement("TervikDB", "C:\\UploadBackup\\Tervik.bak"),
              "BACKUP DATABASE [TervikDB] TO DISK = N'C:\\UploadBackup\\Tervik.bak' WITH INIT, STATS = 1");
    EXPECT_EQ(
        restoreStatement("TervikDB", "C:\\UploadBackup\\Tervik.bak"),
        "RESTORE DATABASE [TervikDB] FROM DISK = N'C:\\UploadBackup\\Tervik.bak' WITH REPLACE, STATS = 1");
    EXPECT_EQ(backupStatement("a]b", "/x/O'Brien.bak"),
              "BACKUP DATABASE [a]]b] TO DISK = N'/x/O''Brien.bak' WITH INIT, STATS = 1");
    EXPECT_EQ(useStatement("x]; DROP DATABASE y"), "USE [x]]; DROP DATABASE y]");
}

TEST(OdbcAdminStatements, ProcessesOfADatabase) {
    const auto sql = attachedProcessesStatement("it's");
    EXPECT_NE(sql.find("WHERE d.name = N'it''s' AND p.spid <> @@SPID"), std::string::npos);
    EXPECT_NE(sql.find("master.dbo.sysprocesses"), std::string::npos);
    EXPECT_EQ(endProcessStatement(57), "KILL 57");
    EXPECT_THROW(endProcessStatement(0), DbError);
    EXPECT_THROW(endProcessStatement(-3), DbError);
}

TEST(OdbcAdminStatements, ReadsPercentFromProgressMessages) {
    EXPECT_EQ(percentProcessed("10 percent processed."), 10);
    EXPECT_EQ(percentProcessed("[FreeTDS][SQL Server]100 percent processed."), 100);
    EXPECT_EQ(percentProcessed("[Microsoft][ODBC Driver 17 for SQL Server][SQL Server]7 percent processed."),
              7);
    EXPECT_EQ(percentProcessed("Processed 328 pages for database 'TervikDB', file 'Tervik' on file 1."),
              std::nullopt);
    EXPECT_EQ(percentProcessed(" percent processed."), std::nullopt);
}

TEST(OdbcAdmin, CallsBeforeConnectFailClearly) {
    OdbcAdmin admin("FreeTDS");
    EXPECT_THAT([&] { admin.executeBatch("master", "SELECT 1"); },
                ThrowsMessage<DbError>(HasSubstr("Not connected")));
    EXPECT_THROW(admin.attachedProcesses("x"), DbError);
}
