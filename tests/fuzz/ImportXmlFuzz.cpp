// The document reader of Proc_ImpSetupDetails: any text is either imported into the release table
// or refused with DbError; nothing else may escape. The table is the deployment database's own
// shape, in an in-memory database made once.
#include "FuzzSupport.h"
#include "platform/db/Connection.h"
#include "platform/db/embedded/Importers.h"

#include <sqlite3.h>

using namespace quillan;

namespace {

sqlite3* database() {
    static sqlite3* db = [] {
        sqlite3* d = nullptr;
        if (sqlite3_open(":memory:", &d) != SQLITE_OK ||
            sqlite3_exec(d,
                         "CREATE TABLE SetupDetails (File_Names VARCHAR(200), File_Path VARCHAR(500), "
                         "File_CrDate DATETIME, File_UnZipDate DATETIME, Status INT, RegRequired INT, "
                         "HotfixNo INT, VersionNo INT, UploadFileSize BIGINT, DownloadFileSize BIGINT, "
                         "FileExtension VARCHAR(10), FileSplitStatus INT)",
                         nullptr, nullptr, nullptr) != SQLITE_OK)
            std::abort();
        return d;
    }();
    return db;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 65536)
        return 0;
    sqlite3* db = database();
    try {
        // A text that does not start with '<' is taken as a file name: this one does not exist.
        db::embedded::importSetupDetails(db, "main", "SetupDetails", fuzz::text(data, size),
                                         "/nonexistent/quillan-fuzz.xml");
    } catch (const db::DbError&) {
    }
    sqlite3_exec(db, "DELETE FROM SetupDetails", nullptr, nullptr, nullptr); // every input starts empty
    return 0;
}
