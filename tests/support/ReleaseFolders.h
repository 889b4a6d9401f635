#pragma once
// A release on the engine-backed console: an update folder and a LAN share below the scratch
// folder, the application's mandatory-release tables, SetupDetails rows with chosen sizes, and
// archives built from named members with chosen file times.
#include "archive/Zip.h"
#include "platform/FileTimes.h"
#include "tests/support/EngineConsole.h"
#include "tests/support/Files.h"

#include <filesystem>
#include <map>
#include <string>

namespace quillan::test {

struct ReleaseFolders : EngineConsole {
    std::filesystem::path update = dir.path() / "Update";
    std::filesystem::path share = dir.path() / "Share";
    std::filesystem::path staging = dir.path() / "Staging";

    ReleaseFolders() {
        std::filesystem::create_directories(update);
        std::filesystem::create_directories(share);
        c.state.updateFolder = c.paths.toWindows(update);
        c.state.lanServerPath = c.paths.toWindows(share);
        db->execute(std::string("CREATE TABLE ") + kPrefix +
                    ".dbo.MandatoryDeployment (FileDownloaded INT, DeploymentSatus INT, MantatoryStatus INT, "
                    "HFixID INT)");
        db->execute(std::string("CREATE TABLE ") + kPrefix + ".dbo.FN_SetupDetails (Arg INT, Answer INT)");
        setMandatory(0, 0);
    }
    // What FN_SetupDetails(1) and (2) answer.
    void setMandatory(int one, int two) {
        db->execute(std::string("DELETE FROM ") + kPrefix + ".dbo.FN_SetupDetails");
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.FN_SetupDetails VALUES (1, " +
                    std::to_string(one) + ")");
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.FN_SetupDetails VALUES (2, " +
                    std::to_string(two) + ")");
    }
    // A package row: published `up` bytes, `down` recorded (-1 for NULL).
    void addPackage(const std::string& name, int version, long long up, long long down,
                    const std::string& ext = "ZIP", int split = 0, int reg = 0) {
        db->execute(std::string("INSERT INTO ") + kPrefix + ".dbo.SetupDetails VALUES (" +
                    db::sqlQuote(name) + ",'App.Path','2024-03-01 10:00:00',NULL,1," + std::to_string(reg) +
                    ",0," + std::to_string(version) + "," + std::to_string(up) + "," +
                    (down < 0 ? std::string("NULL") : std::to_string(down)) + "," + db::sqlQuote(ext) + "," +
                    std::to_string(split) + ")");
    }
    // An archive of bare-named members, each last written at its time ("YYYY-MM-DD HH:MM:SS").
    void makeZip(const std::filesystem::path& archive,
                 const std::map<std::string, std::pair<std::string, std::string>>& members) {
        std::filesystem::remove_all(staging);
        cZip z;
        z.ZipFile(archive);
        for (const auto& [name, content] : members) {
            const auto file = staging / name;
            writeFile(file, content.first);
            SetFileDate(file, *DateTime::parse(content.second));
            z.AddFileSpec(file.string());
        }
        z.Zip();
    }
    long long sizeOf(const std::filesystem::path& p) const {
        return static_cast<long long>(std::filesystem::file_size(p));
    }
    std::string value(const std::string& column, const std::string& name) {
        auto rs = db->query("SELECT " + column + " FROM " + std::string(kPrefix) +
                            ".dbo.SetupDetails WHERE File_Names = " + db::sqlQuote(name));
        return rs.eof() ? "<no row>" : rs.field(column).textOr("<null>");
    }
    // How often the finishing operation closed the run (its closing box).
    int closings() const {
        int n = 0;
        for (const auto& t : op.informed)
            n += t == "Completed with Error, Check Error Log for Errors";
        return n;
    }
    bool logged(const std::string& text) const { return log().find(text) != std::string::npos; }
};

} // namespace quillan::test
