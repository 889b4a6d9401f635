#include "install/RestoreDb.h"

#include "base/ByteProgress.h"
#include "base/Machine.h"
#include "install/BackupArchive.h"
#include "install/DatabaseBackupStatements.h"
#include "platform/PlainFileName.h"

#include <exception>
#include <filesystem>
#include <memory>
#include <set>
#include <stdexcept>
#include <system_error>
#include <utility>

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

// Ends the sessions attached to the database that the server lets end and that are not the
// administration interface's own.
void endOtherSessions(Console& c, db::DbAdmin& admin) {
    const std::set<std::int64_t> own{firstNumber(admin.query("master", ownSessionQuery()))};
    for (int pass = 0; pass < kSessionPasses; ++pass)
        for (auto rs = admin.query("master", serverProcessesQuery(c.state.dbName)); !rs.eof();
             rs.moveNext()) {
            const std::int64_t spid = rs.field("spid").asInt();
            if (spid > kLastSystemSession && !own.count(spid))
                admin.executeBatch("master", killStatement(spid));
        }
}

// What the console holds when its own connection cannot be opened again after the restore: every
// statement fails with the reason, so the run ends on an error instead of going on unseen.
class LostConnection final : public db::Connection {
public:
    explicit LostConnection(std::string why) : why_(std::move(why)) {}
    db::Recordset query(const std::string&) override { throw db::DbError(why_); }
    void execute(const std::string&) override { throw db::DbError(why_); }
    std::string backendName() const override { return "none"; }

private:
    std::string why_;
};

// The server replaces a database only when no session uses it, the console's own connection
// included: the console lets it go for the restore and opens it again afterwards.
void reopenConsoleConnection(Console& c) {
    try {
        c.conn = c.os.openConnection(c.state.connString, c.programFolder());
        c.conn->setTimeLimit(c.state.statementTimeLimit);
    } catch (const std::exception& e) {
        const std::string why = std::string("The database connection could not be opened again after the "
                                            "restore: ") +
                                e.what();
        c.log.line(why + " in Restore DB");
        c.conn = std::make_unique<LostConnection>(why);
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
        admin->setTimeLimit(c.state.statementTimeLimit); // the restore itself is not bounded
        ByteProgress progress(c, Row::RemovingFiles, 100, 100, AmountUnit::Percent);
        progress.start();
        c.conn.reset();
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
    if (!c.conn)
        reopenConsoleConnection(c);
    std::error_code ec;
    if (unpacked) // the backup left only the archive; so does the restore
        fs::remove(bak, ec);
    return ok;
}

} // namespace quillan
