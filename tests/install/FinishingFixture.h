#pragma once
// A console on a fake machine over the engine catalog: a program folder with the installed (old)
// files, an update folder, a backup folder, and the administration interface of the same engine,
// so that the finishing operation and its undo run their real statements, files and restore.
#include "base/Console.h"
#include "tests/support/EngineCatalog.h"
#include "tests/support/FakeMachine.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingAdmin.h"
#include "tests/support/RecordingOperator.h"

#include <memory>
#include <optional>
#include <set>

namespace quillan::test {

// Deletions and copies that fail for chosen file names, as a locked file would.
class LockingMachine : public FakeMachine {
public:
    std::set<std::string> lockedNames;  // cannot be deleted
    std::set<std::string> lockedCopies; // cannot be replaced
    bool forceDelete(const std::filesystem::path& file) override {
        if (lockedNames.count(file.filename().string()))
            throw std::filesystem::filesystem_error("file is locked", file,
                                                    std::make_error_code(std::errc::device_or_resource_busy));
        return FakeMachine::forceDelete(file);
    }
    void replaceFile(const std::filesystem::path& source, const std::filesystem::path& target) override {
        if (lockedCopies.count(target.filename().string()))
            throw std::filesystem::filesystem_error("file is locked", target,
                                                    std::make_error_code(std::errc::device_or_resource_busy));
        FakeMachine::replaceFile(source, target);
    }
};

class FinishingFixture : public EngineCatalog {
protected:
    LockingMachine machine;
    RecordingOperator op;
    std::unique_ptr<Console> c;
    std::filesystem::path app, update, backup;
    RecordingAdmin recording; // see recordAdmin()
    std::unique_ptr<db::DbAdmin> engine;

    void SetUp() override {
        EngineCatalog::SetUp();
        app = dir / "Tervik";
        update = dir / "Update";
        backup = dir / "UploadBackup";
        for (const auto& f : {app, update, backup})
            std::filesystem::create_directories(f);
        reopen(op, machine);
        // The console opens its connection again after a restore.
        machine.onOpenConnection = [o = engineOptions()](const std::string&, const std::filesystem::path&) {
            return db::openEmbeddedConnection(o);
        };
        auto& s = c->state;
        s.dbName = "Tervik";
        s.dbPrefix = P;
        s.computerName = "QBOX";
        s.updateFolder = c->paths.toWindows(update);
        s.backupFolder = c->paths.toWindows(backup);
        machine.onOpenAdmin = [data = dir / "Data"](const std::string&, const std::filesystem::path&) {
            return db::openEmbeddedAdmin(data);
        };
        c->model.setButton(Button::CmdExit, false);
        c->model.setButton(Button::CmdViewLog, false);
    }
    void TearDown() override { c.reset(); }

    db::EmbeddedOptions engineOptions() const {
        db::EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        return o;
    }
    // A console (again) for this operator on this machine, with the state it had and the same log.
    void reopen(Operator& who, Machine& on) {
        auto kept = c ? std::make_optional(c->state) : std::nullopt;
        c.reset();
        c = std::make_unique<Console>(app, who, on);
        if (kept)
            c->state = *kept;
        c->conn = db::openEmbeddedConnection(engineOptions());
        c->log.open(dir / "DeployErrlog.log");
    }
    // The phases' administration calls recorded in `recording`, and still run on the engine.
    void recordAdmin() {
        engine = db::openEmbeddedAdmin(dir / "Data");
        recording.forward = engine.get();
        machine.onOpenAdmin = [this](const std::string&, const std::filesystem::path&) {
            return std::make_unique<LentAdmin>(recording);
        };
    }

    void addExtension(const std::string& extension, int type) {
        conn->execute("INSERT INTO [Tervik].dbo.FileExtension VALUES (" + db::sqlQuote(extension) + "," +
                      std::to_string(type) + ",0)");
    }
    std::string log() const { return c->log.readAll(); }
    std::vector<std::string> statuses() {
        return column("SELECT Status FROM [Tervik].dbo.SetupDetails ORDER BY File_Names", "Status");
    }
    static bool has(const std::string& text, const std::string& part) {
        return text.find(part) != std::string::npos;
    }
};

} // namespace quillan::test
