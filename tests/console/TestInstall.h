#pragma once
// A throw-away installation for start-up tests: a drive folder mapped as C:, a program folder
// with its settings file and logo, a scripted connection holding a complete configuration, a
// machine with chosen drives, and a queue operator.
#include "FakeConnection.h"
#include "console/Console.h"
#include "console/Machine.h"
#include "console/QueueOperator.h"
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

inline void writeFile(const fs::path& p, const std::string& text) {
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << text;
}

inline std::string readFile(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct FakeInstall {
    TempDir tmp;
    fs::path drive;   // mapped as C:
    fs::path program; // "C:\Tervik", or C: itself for a drive-root installation
    FakeConnection db;
    std::vector<FixedDrive> drives{{'C', 20 * kGB}};
    std::string machineName = "QBOX";
    QueueOperator op;
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
    }

    void setConnLine(const std::string& line) { writeFile(program / "Dll" / "Sd.ini", line + "\r\n"); }

    // A complete configuration for transfer mode 1 (FTP) or 2 (HTTP).
    void configure(int mode) {
        db.rules.clear();
        db.answer("seqno=30", "Status", mode);
        db.answer("seqno=31 and", "Condition", "127.0.0.1");
        db.answer("seqno=32 and", "Condition", "Deploy");
        db.answer("seqno=33 and", "Condition", "ftpuser");
        db.answer("seqno=34 and", "Condition", "ftppass");
        db.answer("seqno=35 and", "Condition", "C:\\Tervik\\Update");
        db.answer("seqno=36 and", "Condition", "C:\\LanShare");
        db.answer("seqno=37 and", "Condition", "C:\\Tervik\\Logs\\Deploy");
        db.answer("seqno=38 and", "Condition", "Master");
        db.answer("seqno=39 and", "Condition", "Trans");
        db.answer("seqno=40 and", "Condition", "http://127.0.0.1/ws");
        db.answer("dbo.Distributor", "DistributorCode", "D042");
        db.answer("FileFormatSelectionFTP", "Status", 1);
        db.answer("FileFormatSelection HTTP", "Status", 0);
        db.answer("Seqno=4", "Status", 0);
        db.answer("Seqno=16", "Status", 0);
        db.answer("dbo.sysfiles", "DbSize", 0.25);
        db.answer("FN_SetupDetails(3)", "EXISTS1", 1);
        db.answerEmpty("DeploymentMessage (NOLOCK)", "Captions");
    }

    Machine machine() {
        Machine m;
        m.scanDrives = [this](const PathMap&) { return drives; };
        m.computerName = [this] { return machineName; };
        m.systemDrive = [] { return std::string("C:\\WINDOWS"); };
        m.openConnection = [this](const std::string& cs, const fs::path&) -> std::unique_ptr<db::Connection> {
            openedWith = cs;
            return std::make_unique<ForwardingConnection>(db);
        };
        return m;
    }

    std::unique_ptr<Console> console() { return std::make_unique<Console>(program, op); }

    std::string runLog() const { return readFile(drive / "Tervik" / "Logs" / "Deploy" / "DeployErrlog.log"); }
};

} // namespace quillan::test
