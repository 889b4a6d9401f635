#include "install/RestoreDb.h"

#include "base/ByteProgress.h"
#include "base/Machine.h"
#include "install/BackupArchive.h"
#include "install/DatabaseBackupStatements.h"
#include "platform/PlainFileName.h"

#include <exception>
#include <filesystem>
#include <set>
#include <stdexcept>
#include <system_error>

namespace quillan {

namespace fs = std::filesystem;

namespace {

constexpr int kSessionPasses = 5;
// SQL Server keeps session numbers up to 50 for its own tasks and refuses to end them.
constexpr std::int64_t kLastSystemSession = 50;

// The .bak to restore from; unpacked from its tested archive when only the archive is left.
// `unpacked` tells the caller to delete it again afterwards.
fs::path backupFile(Console& c, bool& unpacked) {
    const std::string& name = c.state.backupFileName;
    if (!isPlainFileName(name))
        throw std::runtime_error("No database backup of this run to restore from");
    const fs::path folder = c.native(c.state.backupFolder);
    const fs::path bak = folder / name;
    std::error_code ec;
    if (fs::is_regular_file(bak, ec))
        return bak;
    const fs::path zip = backupArchiveOf(bak);
    if (!fs::is_regular_file(zip, ec))
        throw std::runtime_error("The database backup " + bak.string() + " and its archive are missing");
    unpackBackup(zip, folder, name);
    unpacked = true;
    return bak;
}

std::int64_t firstNumber(db::Recordset rs) {
    if (rs.eof() || rs.field(std::size_t{0}).isNull())
        throw std::runtime_error("The server did not tell the session's number");
    return rs.field(std::size_t{0}).asInt();
}

// Ends the sessions attached to the database that the server lets end and that are not ours.
void endOtherSessions(Console& c, db::DbAdmin& admin) {
    const std::set<std::int64_t> own{firstNumber(admin.query("master", ownSessionQuery())),
                                     firstNumber(c.conn->query(ownSessionQuery()))};
    for (int pass = 0; pass < kSessionPasses; ++pass)
        for (auto rs = admin.query("master", serverProcessesQuery(c.state.dbName)); !rs.eof();
             rs.moveNext()) {
            const std::int64_t spid = rs.field("spid").asInt();
            if (spid > kLastSystemSession && !own.count(spid))
                admin.executeBatch("master", killStatement(spid));
        }
}

void hideBar(Console& c) {
    ChecklistRow r = c.model.checklist(Row::RemovingFiles);
    r.barVisible = false;
    c.model.setChecklist(Row::RemovingFiles, r);
}

} // namespace

bool RestoreDb(Console& c) {
    bool unpacked = false;
    fs::path bak;
    bool ok = false;
    try {
        hideBar(c);
        bak = backupFile(c, unpacked); // nothing is ended when there is nothing to restore
        auto admin = c.os.openAdmin(c.state.connString, c.programFolder());
        admin->connect(c.state.dbServer, c.state.dbUser, c.state.dbPassword);
        ByteProgress progress(c, Row::RemovingFiles, 100, 100);
        progress.start();
        endOtherSessions(c, *admin);
        admin->restore(c.state.dbName, bak, [&progress](int percent) {
            progress.report(static_cast<std::uint64_t>(percent < 0 ? 0 : percent));
        });
        admin->disconnect();
        hideBar(c);
        ok = true;
    } catch (const std::exception& e) {
        c.log.line(std::string(e.what()) + " in Restore DB");
    }
    std::error_code ec;
    if (unpacked) // the backup left only the archive; so does the restore
        fs::remove(bak, ec);
    return ok;
}

} // namespace quillan
