#pragma once
// A console on a fake machine over the engine catalog: a program folder with the installed (old)
// files, an update folder, a backup folder, and the administration interface of the same engine,
// so that the finishing operation and its undo run their real statements, files and restore.
#include "base/Console.h"
#include "tests/support/EngineCatalog.h"
#include "tests/support/FakeMachine.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingOperator.h"

#include <memory>
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

    void SetUp() override {
        EngineCatalog::SetUp();
        app = dir / "Tervik";
        update = dir / "Update";
        backup = dir / "UploadBackup";
        for (const auto& f : {app, update, backup})
            std::filesystem::create_directories(f);
        c = std::make_unique<Console>(app, op, machine);
        db::EmbeddedOptions o;
        o.dataFolder = dir / "Data";
        c->conn = db::openEmbeddedConnection(o);
        // The console opens its connection again after a restore.
        machine.onOpenConnection = [o](const std::string&, const std::filesystem::path&) {
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
        c->log.open(dir / "DeployErrlog.log");
    }
    void TearDown() override { c.reset(); }

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
