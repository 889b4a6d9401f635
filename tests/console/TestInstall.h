#pragma once
// A throw-away installation for start-up tests: a drive folder mapped as C:, a program folder
// with its settings file and logo, a scripted connection holding a complete configuration, a
// fake machine with chosen drives that the console holds, and a recording operator.
#include "base/Console.h"
#include "tests/support/FakeMachine.h"
#include "tests/support/Files.h"
#include "tests/support/RecordingConnection.h"
#include "tests/support/RecordingOperator.h"
#include "tests/support/TempDir.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace quillan::test {

namespace fs = std::filesystem;

inline constexpr std::uint64_t kGB = 1073741824ULL;

struct FakeInstall {
    TempDir tmp;
    fs::path drive;   // mapped as C:
    fs::path program; // "C:\Tervik", or C: itself for a drive-root installation
    ScriptedConnection db{true};
    FakeMachine os;
    std::vector<FixedDrive>& drives = os.drives;
    std::string& machineName = os.name;
    test::RecordingOperator op;
    std::string connLine =
        "Provider=SQLOLEDB;Data Source=(local);Initial Catalog=Tervik;User ID=sa;Password=pw;";
    std::string openedWith; // the connection string start-up connected with

    explicit FakeInstall(bool driveRoot = false) {
        drive = tmp.path() / "c";
        program = driveRoot ? drive : drive / "Tervik";
        fs::create_directories(program);
        writeFile(program / "quillan-drives.ini", "C=" + drive.string() + "\n");
        writeFile(program / "Images" / "Quillan.bmp", "BM");
        writeFile(program / "Dll" / "Sd.ini", connLine + "\r\n");
        configure(2);
        drives = {{'C', 20 * kGB}};
        os.onOpenConnection = [this](const std::string& cs,
                                     const fs::path&) -> std::unique_ptr<db::Connection> {
            openedWith = cs;
            return std::make_unique<ForwardingConnection>(db);
        };
    }

    void setConnLine(const std::string& line) { writeFile(program / "Dll" / "Sd.ini", line + "\r\n"); }

    // A complete configuration for transfer mode 1 (FTP) or 2 (HTTP).
    void configure(int mode) {
        db.forgetAll();
        db.answerOne("seqno=30", "Status", mode);
        db.answerOne("seqno=31 and", "Condition", "127.0.0.1");
        db.answerOne("seqno=32 and", "Condition", "Deploy");
        db.answerOne("seqno=33 and", "Condition", "ftpuser");
        db.answerOne("seqno=34 and", "Condition", "ftppass");
        db.answerOne("seqno=35 and", "Condition", "C:\\Tervik\\Update");
        db.answerOne("seqno=36 and", "Condition", "C:\\LanShare");
        db.answerOne("seqno=37 and", "Condition", "C:\\Tervik\\Logs\\Deploy");
        db.answerOne("seqno=38 and", "Condition", "Master");
        db.answerOne("seqno=39 and", "Condition", "Trans");
        db.answerOne("seqno=40 and", "Condition", "http://127.0.0.1/ws");
        db.answerOne("dbo.Distributor", "DistributorCode", "D042");
        db.answerOne("FileFormatSelectionFTP", "Status", 1);
        db.answerOne("FileFormatSelection HTTP", "Status", 0);
        db.answerOne("Seqno=4", "Status", 0);
        db.answerOne("Seqno=16", "Status", 0);
        db.answerOne("dbo.sysfiles", "DbSize", 0.25);
        db.answerOne("FN_SetupDetails(3)", "EXISTS1", 1);
        db.answer("DeploymentMessage (NOLOCK)", {"Captions"});
    }

    FakeMachine& machine() { return os; }

    // A console on the fake machine.
    std::unique_ptr<Console> console() { return std::make_unique<Console>(program, op, os); }

    std::string runLog() const { return readFile(drive / "Tervik" / "Logs" / "Deploy" / "DeployErrlog.log"); }
};

} // namespace quillan::test
